#include "addressbook/importplan.h"

#include <unordered_set>

#include "addressbook/numbers/numberchoice.h"
#include "addressbook/numbers/phonenumber.h"
#include "addressbook/text/asciitext.h"

namespace {

// The add dialog's edits take this many characters.
constexpr size_t kMaxNameChars = 54;

// Above U+00FF the service cannot receive a character, and a NUL would cut
// the form field it is sent in.
bool HasUnsupportedChar(const std::u16string& text)
{
    for (char16_t ch : text) {
        if (ch > 0xFF || ch == 0) {
            return true;
        }
    }
    return false;
}

bool IsUnreadable(const std::u16string& text)
{
    return text.find(u'\uFFFD') != std::u16string::npos;
}

// The service needs a first name: a contact known by its family name or its
// company alone gets it as that.
const std::u16string* SoleName(const RawContact& contact)
{
    for (const std::u16string* pName : {&contact.formatted, &contact.family, &contact.company}) {
        if (!IsBlankText(*pName)) {
            return pName;
        }
    }
    return nullptr;
}

bool TakeName(const RawContact& contact, ImportCandidate& candidate, SkipReason& reason)
{
    const std::u16string* pSole = SoleName(contact);
    if (!IsBlankText(contact.given)) {
        candidate.firstName = contact.given;
        candidate.lastName = contact.family;
    } else if (pSole != nullptr) {
        candidate.firstName = *pSole;
    } else {
        reason = SkipReason::NoName;
        return false;
    }
    if (candidate.firstName.size() > kMaxNameChars || candidate.lastName.size() > kMaxNameChars) {
        reason = SkipReason::NameTooLong;
    } else if (IsUnreadable(candidate.firstName) || IsUnreadable(candidate.lastName)) {
        reason = SkipReason::Unreadable;
    } else if (HasUnsupportedChar(candidate.firstName) || HasUnsupportedChar(candidate.lastName)) {
        reason = SkipReason::UnsupportedCharacters;
    } else {
        return true;
    }
    return false;
}

bool TakeNumber(const RawContact& contact, const std::u16string& countryCode, ImportCandidate& candidate,
                SkipReason& reason)
{
    NumberChoice choice = ChooseNumber(contact.phones, countryCode);
    if (!choice.bChosen) {
        reason = choice.reason;
        return false;
    }
    candidate.number = std::move(choice.normalised.number);
    candidate.bNotMobile = choice.bNotMobile;
    candidate.nOtherMobiles = choice.nOtherMobiles;
    candidate.bAmbiguous = choice.normalised.bAmbiguous;
    candidate.otherReading = std::move(choice.normalised.otherReading);
    return true;
}

std::u16string ShownName(const RawContact& contact)
{
    std::u16string name;
    const std::u16string* pSole = SoleName(contact);
    if (!IsBlankText(contact.given)) {
        name = IsBlankText(contact.family) ? contact.given : contact.given + u" " + contact.family;
    } else if (pSole != nullptr) {
        name = *pSole;
    } else if (!contact.phones.empty()) {
        name = contact.phones.front().text;
    }
    if (name.size() > kMaxShownNameChars) {
        name = name.substr(0, kMaxShownNameChars - 3) + u"...";
    }
    return name;
}

}  // namespace

ImportPlan PlanImport(const std::vector<RawContact>& contacts, const std::vector<std::u16string>& existingNumbers,
                      const std::u16string& countryCode)
{
    std::unordered_set<std::u16string> numbers;
    for (const std::u16string& existing : existingNumbers) {
        numbers.insert(ComparableNumber(existing, countryCode));
    }
    ImportPlan plan;
    for (const RawContact& contact : contacts) {
        ImportCandidate candidate{};
        candidate.nLine = contact.nLine;
        SkipReason reason = SkipReason::UnclosedQuote;
        if (contact.bUnclosedQuote || !TakeName(contact, candidate, reason) ||
            !TakeNumber(contact, countryCode, candidate, reason)) {
            plan.skipped.push_back({contact.nLine, ShownName(contact), reason});
        } else if (!numbers.insert(candidate.number).second) {
            plan.skipped.push_back({contact.nLine, ShownName(contact), SkipReason::Duplicate});
        } else {
            candidate.bOtherReadingKnown =
                !candidate.otherReading.empty() && numbers.count(candidate.otherReading) != 0;
            plan.toAdd.push_back(std::move(candidate));
        }
    }
    return plan;
}
