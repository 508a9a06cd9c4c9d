#include "addressbook/importplan.h"

#include <unordered_set>

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

bool TakeName(const RawContact& contact, ImportCandidate& candidate, SkipReason& reason)
{
    if (!IsBlankText(contact.given)) {
        candidate.firstName = contact.given;
        candidate.lastName = contact.family;
    } else if (!IsBlankText(contact.formatted)) {
        candidate.firstName = contact.formatted;
        candidate.lastName.clear();
    } else {
        reason = SkipReason::NoName;
        return false;
    }
    if (candidate.firstName.size() > kMaxNameChars || candidate.lastName.size() > kMaxNameChars) {
        reason = SkipReason::NameTooLong;
        return false;
    }
    if (HasUnsupportedChar(candidate.firstName) || HasUnsupportedChar(candidate.lastName)) {
        reason = SkipReason::UnsupportedCharacters;
        return false;
    }
    return true;
}

std::u16string ShownName(const RawContact& contact)
{
    std::u16string name;
    if (!IsBlankText(contact.given)) {
        name = IsBlankText(contact.family) ? contact.given : contact.given + u" " + contact.family;
    } else if (!IsBlankText(contact.formatted)) {
        name = contact.formatted;
    } else if (!IsBlankText(contact.family)) {
        name = contact.family;
    } else {
        name = contact.number;
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
        ImportCandidate candidate{std::u16string(), std::u16string(), std::u16string(), contact.nLine};
        SkipReason reason = SkipReason::NoName;
        if (!TakeName(contact, candidate, reason) || !NormaliseNumber(contact.number, countryCode, candidate.number, reason)) {
            plan.skipped.push_back({contact.nLine, ShownName(contact), reason});
        } else if (!numbers.insert(candidate.number).second) {
            plan.skipped.push_back({contact.nLine, ShownName(contact), SkipReason::Duplicate});
        } else {
            plan.toAdd.push_back(std::move(candidate));
        }
    }
    return plan;
}

