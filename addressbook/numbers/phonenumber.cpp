#include "addressbook/numbers/phonenumber.h"

#include "addressbook/text/asciitext.h"

namespace {

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool IsNumberSeparator(char16_t ch)
{
    return IsBlank(ch) || ch == u'\u00A0' || ch == u'\u202F' || ch == u'-' || (ch >= u'\u2010' && ch <= u'\u2015') ||
           ch == u'.' || ch == u'/' || ch == u'(' || ch == u')';
}

// "+44 (0)20 ..." and "0044 (0)20 ...": the trunk zero after a country code
// of one to three digits goes.
std::u16string WithoutTrunkZero(const std::u16string& raw)
{
    size_t i = 0;
    while (i < raw.size() && IsNumberSeparator(raw[i]) && raw[i] != u'(') {
        ++i;
    }
    if (raw.compare(i, 1, u"+") == 0) {
        i += 1;
    } else if (raw.compare(i, 2, u"00") == 0) {
        i += 2;
    } else {
        return raw;
    }
    const size_t codeStart = i;
    while (i < raw.size() && IsDigit(raw[i])) {
        ++i;
    }
    const size_t cchCode = i - codeStart;
    while (i < raw.size() && (IsBlank(raw[i]) || raw[i] == u'\u00A0' || raw[i] == u'\u202F')) {
        ++i;
    }
    if (cchCode == 0 || cchCode > 3 || raw.compare(i, 3, u"(0)") != 0) {
        return raw;
    }
    return raw.substr(0, i) + raw.substr(i + 3);
}

}  // namespace

bool NormaliseNumber(const std::u16string& raw, const std::u16string& countryCode, std::u16string& number,
                     SkipReason& reason)
{
    std::u16string digits;
    bool bPlus = false;
    bool bOther = false;
    for (char16_t ch : WithoutTrunkZero(raw)) {
        if (IsDigit(ch)) {
            digits.push_back(ch);
        } else if (ch == u'+' && digits.empty() && !bPlus) {
            bPlus = true;
        } else if (!IsNumberSeparator(ch)) {
            // Letters, "ext", "x12", ";ext=", "#", "*" and the pause ",".
            bOther = true;
        }
    }
    if (bOther) {
        reason = SkipReason::LettersOrExtension;
        return false;
    }
    if (digits.empty()) {
        reason = SkipReason::NoNumber;
        return false;
    }
    if (bPlus) {
        number = u"00" + digits;
    } else if (digits.compare(0, 2, u"00") == 0 || digits[0] != u'0') {
        number = digits;
    } else if (countryCode.empty()) {
        reason = SkipReason::NationalNumber;
        return false;
    } else {
        number = u"00" + countryCode + digits.substr(1);
    }
    return true;
}

std::u16string ComparableNumber(const std::u16string& existing, const std::u16string& countryCode)
{
    std::u16string number;
    SkipReason reason;
    if (NormaliseNumber(existing, countryCode, number, reason)) {
        return number;
    }
    number.clear();
    for (char16_t ch : existing) {
        if (!IsNumberSeparator(ch)) {
            number.push_back(ch);
        }
    }
    return number;
}
