// libFuzzer target for the address book reader and the import plan. Whatever
// the bytes: contacts only with an error of None, each starting on a line the
// file has, in file order, no value past its bound; a plan that accounts for
// every contact and adds only what the add dialog would take; and whatever it
// adds, written as vCard and as CSV, reads and plans back the same, and as
// Copy's text with each name whole. Any violation aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

#include "addressbook/addressbooklimits.h"
#include "addressbook/addressbookreader.h"
#include "addressbook/writers/addressbookwriter.h"
#include "addressbook/importplan.h"
#include "addressbook/text/memorybytesource.h"
#include "addressbook/text/utf8.h"

namespace {

void Check(bool bHolds)
{
    if (!bHolds) {
        std::abort();
    }
}

// Latin-1, except that code page 1250 fails on every byte outside ASCII, as
// a code page without a character for them does.
bool DecodeLatin1(unsigned nCodePage, const char* p, size_t cb, std::u16string& text)
{
    for (size_t i = 0; i < cb; ++i) {
        if (nCodePage == 1250 && static_cast<unsigned char>(p[i]) >= 0x80) {
            return false;
        }
        text.push_back(static_cast<unsigned char>(p[i]));
    }
    return true;
}

// Every decoded line end comes from a CR or LF byte (in UTF-16, from a unit that holds one).
unsigned CountLines(const std::string& bytes)
{
    unsigned nLines = 1;
    for (char b : bytes) {
        nLines += b == '\r' || b == '\n' ? 1 : 0;
    }
    return nLines;
}

void CheckContacts(const ReadResult& result, unsigned nLines)
{
    Check((result.error == ReadError::None) == !result.contacts.empty());
    unsigned nPrevious = 1;
    for (const RawContact& contact : result.contacts) {
        Check(contact.nLine >= nPrevious && contact.nLine <= nLines);
        nPrevious = contact.nLine;
        for (const std::u16string* pValue : {&contact.given, &contact.family, &contact.formatted, &contact.company}) {
            Check(pValue->size() <= kMaxValueChars + 1);
        }
        Check(contact.phones.size() <= kMaxPhones);
        for (const RawPhone& phone : contact.phones) {
            Check(!phone.text.empty() && phone.text.size() <= kMaxValueChars + 1);
        }
        Check(!contact.given.empty() || !contact.family.empty() || !contact.formatted.empty() ||
              !contact.company.empty() || !contact.phones.empty() || contact.bUnclosedQuote);
    }
}

bool IsTakenName(const std::u16string& name)
{
    for (char16_t ch : name) {
        if (ch > 0xFF) {
            return false;
        }
    }
    return name.size() <= 54;
}

void CheckPlan(const ImportPlan& plan, size_t nContacts)
{
    Check(plan.toAdd.size() + plan.skipped.size() == nContacts);
    std::unordered_set<std::u16string> numbers;
    for (const ImportCandidate& candidate : plan.toAdd) {
        Check(!candidate.firstName.empty() && IsTakenName(candidate.firstName) && IsTakenName(candidate.lastName));
        Check(!candidate.number.empty() && numbers.insert(candidate.number).second);
        for (char16_t ch : candidate.number) {
            Check(ch >= u'0' && ch <= u'9');
        }
    }
    for (const ImportSkip& skip : plan.skipped) {
        Check(skip.name.size() <= kMaxShownNameChars);
    }
}

// Control characters change on the way (line ends are normalised), and a
// leading apostrophe before a formula character is read as a guard.
bool TravelsUnchanged(const std::u16string& text)
{
    for (char16_t ch : text) {
        if (ch < 0x20) {
            return false;
        }
    }
    return UnguardFormula(text) == text;
}

void CheckRoundTrip(const ImportPlan& plan)
{
    std::vector<ExportContact> contacts;
    for (const ImportCandidate& candidate : plan.toAdd) {
        if (TravelsUnchanged(candidate.firstName) && TravelsUnchanged(candidate.lastName)) {
            contacts.push_back({candidate.firstName, candidate.lastName, candidate.number});
        }
    }
    if (contacts.empty()) {
        return;
    }
    for (const std::string& file : {WriteVCard(contacts), WriteCsv(contacts)}) {
        CMemoryByteSource source(file);
        const ImportPlan again = PlanImport(ReadAddressBook(source, nullptr).contacts, {}, u"44");
        Check(again.skipped.empty() && again.toAdd.size() == contacts.size());
        for (size_t i = 0; i < contacts.size(); ++i) {
            Check(again.toAdd[i].firstName == contacts[i].firstName && again.toAdd[i].lastName == contacts[i].lastName &&
                  again.toAdd[i].number == contacts[i].number);
        }
    }
    // Copy's text: each name whole, as a first name, unless too long for one.
    std::string text;
    AppendUtf8(text, ClipboardText(contacts));
    CMemoryByteSource source(text);
    const ImportPlan again = PlanImport(ReadAddressBook(source, nullptr).contacts, {}, u"44");
    size_t nAdded = 0;
    for (const ExportContact& contact : contacts) {
        const std::u16string name =
            contact.lastName.empty() ? contact.firstName : contact.firstName + u" " + contact.lastName;
        if (name.size() <= 54) {
            Check(nAdded < again.toAdd.size() && again.toAdd[nAdded].firstName == name &&
                  again.toAdd[nAdded].lastName.empty() && again.toAdd[nAdded].number == contact.number);
            ++nAdded;
        }
    }
    Check(nAdded == again.toAdd.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    const std::string bytes(reinterpret_cast<const char*>(pData), cbData);
    // Reads of varying size put the piece boundaries everywhere.
    CMemoryByteSource source(bytes, cbData % 13 + 1);
    const ReadResult result = ReadAddressBook(source, DecodeLatin1);
    CheckContacts(result, CountLines(bytes));
    const ImportPlan plan = PlanImport(result.contacts, {u"+44 7700 900123", u"0044 20 7946 0000"}, u"44");
    CheckPlan(plan, result.contacts.size());
    CheckRoundTrip(plan);
    return 0;
}
