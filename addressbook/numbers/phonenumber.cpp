#include "addressbook/numbers/phonenumber.h"

#include "addressbook/numbers/telephoneplan.h"
#include "addressbook/text/asciitext.h"

namespace {

constexpr size_t kNone = std::u16string::npos;
// A part of a field that splits holds a number of its own.
constexpr size_t kMinSplitDigits = 7;
constexpr size_t kMaxNumbersInField = 16;

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool IsNumberSeparator(char16_t ch)
{
    return IsBlank(ch) || ch == u'\u00A0' || ch == u'\u202F' || ch == u'-' || (ch >= u'\u2010' && ch <= u'\u2015') ||
           ch == u'.' || ch == u'/' || ch == u'(' || ch == u')';
}

size_t CountDigits(const std::u16string& text)
{
    size_t n = 0;
    for (char16_t ch : text) {
        n += IsDigit(ch) ? 1 : 0;
    }
    return n;
}

// "4.477E+11": what a spreadsheet shows of a long number it took for one.
bool IsScientific(const std::u16string& raw)
{
    const std::u16string text = TrimBlanks(raw);
    size_t i = 0;
    const auto skipDigits = [&text, &i]() {
        const size_t start = i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        return i > start;
    };
    const auto skipSign = [&text, &i]() { i += i < text.size() && (text[i] == u'+' || text[i] == u'-') ? 1 : 0; };
    skipSign();
    if (!skipDigits()) {
        return false;
    }
    if (i < text.size() && (text[i] == u'.' || text[i] == u',')) {
        ++i;
        if (!skipDigits()) {
            return false;
        }
    }
    if (i >= text.size() || (text[i] != u'E' && text[i] != u'e')) {
        return false;
    }
    ++i;
    skipSign();
    return skipDigits() && i == text.size();
}

// The digits of a number, whether "+" led them, where an "(0)" after the
// first digits stood, and whether anything else was written.
struct Written {
    bool bPlus = false;
    std::u16string digits;
    size_t nZeroAt = kNone;
    bool bOther = false;
};

Written Scan(const std::u16string& raw)
{
    Written written;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char16_t ch = raw[i];
        if (IsDigit(ch)) {
            written.digits.push_back(ch);
        } else if (ch == u'+' && written.digits.empty() && !written.bPlus) {
            written.bPlus = true;
        } else if (!written.digits.empty() && written.nZeroAt == kNone && raw.compare(i, 3, u"(0)") == 0) {
            written.nZeroAt = written.digits.size();
            i += 2;
        } else if (!IsNumberSeparator(ch)) {
            // Letters, "ext", "x12", ";ext=", "#", "*" and the pause ",".
            written.bOther = true;
        }
    }
    return written;
}

bool StartsWith(const std::u16string& digits, const char* pszPrefix)
{
    size_t i = 0;
    while (pszPrefix[i] != '\0' && i < digits.size() && digits[i] == static_cast<char16_t>(pszPrefix[i])) {
        ++i;
    }
    return i > 0 && pszPrefix[i] == '\0';
}

size_t Length(const char* psz)
{
    size_t n = 0;
    while (psz[n] != '\0') {
        ++n;
    }
    return n;
}

// "+44 (0)20 ..." and "+44 020 ...": the national prefix after the country
// code goes, unless only the number with it fits the plan (Italy has none, so
// its "(0)" is a digit of the number).
bool ReadInternational(std::u16string digits, size_t nZeroAt, NormalisedNumber& normalised, SkipReason& reason)
{
    size_t cchCode = 0;
    const CallingCodePlan* pPlan = CallingCodeAt(digits, cchCode);
    if (nZeroAt != kNone && (pPlan == nullptr || nZeroAt != cchCode || pPlan->szTrunkPrefix[0] != '0')) {
        digits.insert(nZeroAt, 1, u'0');
    }
    if (digits.empty()) {
        reason = SkipReason::NoNumber;
        return false;
    }
    if (pPlan == nullptr) {
        if (digits.size() > kMaxInternationalDigits) {
            reason = SkipReason::TooLong;
            return false;
        }
        normalised.number = u"00" + digits;
        return true;
    }
    std::u16string national = digits.substr(cchCode);
    const char* pszTrunk = pPlan->szTrunkPrefix;
    if (StartsWith(national, pszTrunk)) {
        const size_t cchStripped = national.size() - Length(pszTrunk);
        if (FitsLength(pPlan->lengths, cchStripped) || !FitsLength(pPlan->lengths, national.size())) {
            national.erase(0, Length(pszTrunk));
        }
    }
    if (national.size() > LongestLength(pPlan->lengths)) {
        reason = SkipReason::TooLong;
        return false;
    }
    normalised.number = u"00" + digits.substr(0, cchCode) + national;
    return true;
}

// Digits without "+" or "00": a national number of the member's country, or
// an international one written without its prefix, as the plan's lengths
// tell; where both fit, the national prefix decides: in a country that has
// one, national numbers are written with it.
bool ReadUnprefixed(std::u16string digits, size_t nZeroAt, const std::u16string& countryCode,
                    NormalisedNumber& normalised, SkipReason& reason)
{
    if (nZeroAt != kNone) {
        digits.insert(nZeroAt, 1, u'0');
    }
    if (countryCode.empty() && digits[0] == u'0') {
        reason = SkipReason::NationalNumber;
        return false;
    }
    const CallingCodePlan* pHome = countryCode.empty() ? nullptr : CallingCodeNamed(countryCode);
    const char* pszTrunk = pHome != nullptr ? pHome->szTrunkPrefix : countryCode.empty() ? "" : "0";
    const bool bTrunk = StartsWith(digits, pszTrunk);
    const std::u16string rest = bTrunk ? digits.substr(Length(pszTrunk)) : digits;
    const size_t cchMaxRest = pHome != nullptr ? LongestLength(pHome->lengths)
                                               : kMaxInternationalDigits - countryCode.size();
    const bool bNationalFits = !countryCode.empty() && (pHome != nullptr ? FitsLength(pHome->lengths, rest.size())
                                                                          : rest.size() <= cchMaxRest);
    size_t cchCode = 0;
    const CallingCodePlan* pAbroad = CallingCodeAt(digits, cchCode);
    const size_t cchAbroad = digits.size() - cchCode;
    const bool bAbroadFits = pAbroad != nullptr && FitsLength(pAbroad->mobileLengths, cchAbroad);
    const std::u16string national = u"00" + countryCode + rest;
    const std::u16string international = u"00" + digits;
    if (bNationalFits && (bTrunk || !bAbroadFits)) {
        normalised.number = national;
    } else if (bNationalFits) {
        normalised.bAmbiguous = true;
        normalised.number = pszTrunk[0] != '\0' ? international : national;
        normalised.otherReading = pszTrunk[0] != '\0' ? national : international;
    } else if (bAbroadFits) {
        normalised.number = international;
    } else if (bTrunk) {
        if (rest.size() > cchMaxRest) {
            reason = SkipReason::TooLong;
            return false;
        }
        normalised.bAmbiguous = true;
        normalised.number = national;
    } else {
        const bool bNationalTooLong = countryCode.empty() || rest.size() > cchMaxRest;
        const bool bAbroadTooLong = pAbroad == nullptr ? digits.size() > kMaxInternationalDigits
                                                       : cchAbroad > LongestLength(pAbroad->lengths);
        if (bNationalTooLong && bAbroadTooLong) {
            reason = SkipReason::TooLong;
            return false;
        }
        normalised.bAmbiguous = true;
        normalised.number = countryCode.empty() ? digits : bNationalTooLong ? international : national;
    }
    return true;
}

std::vector<std::u16string> SplitAt(const std::u16string& text, const char16_t* pszSeparator)
{
    const std::u16string separator(pszSeparator);
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != kNone; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

void Split(const std::u16string& text, size_t nLevel, std::vector<std::u16string>& numbers)
{
    static const char16_t* const kSeparators[] = {u" ::: ", u";", u",", u"/"};
    for (size_t level = nLevel; level < 4; ++level) {
        const std::vector<std::u16string> parts = SplitAt(text, kSeparators[level]);
        bool bAllNumbers = parts.size() > 1;
        for (size_t i = 0; i < parts.size() && bAllNumbers; ++i) {
            bAllNumbers = CountDigits(parts[i]) >= kMinSplitDigits;
        }
        if (bAllNumbers) {
            for (const std::u16string& part : parts) {
                Split(part, level + 1, numbers);
            }
            return;
        }
    }
    if (!IsBlankText(text) && numbers.size() < kMaxNumbersInField) {
        numbers.push_back(TrimBlanks(text));
    }
}

}  // namespace

bool NormaliseNumber(const std::u16string& raw, const std::u16string& countryCode, NormalisedNumber& normalised,
                     SkipReason& reason)
{
    normalised = NormalisedNumber();
    const Written written = Scan(raw);
    if (raw.find(u'\uFFFD') != kNone) {
        reason = SkipReason::Unreadable;
    } else if (IsScientific(raw)) {
        reason = SkipReason::SpreadsheetNumber;
    } else if (written.bOther) {
        reason = SkipReason::LettersOrExtension;
    } else if (written.digits.empty()) {
        reason = SkipReason::NoNumber;
    } else if (written.bPlus || StartsWith(written.digits, "00")) {
        const size_t cchPrefix = written.bPlus ? 0 : 2;
        const size_t nZeroAt = written.nZeroAt == kNone || written.nZeroAt < cchPrefix ? kNone
                                                                                        : written.nZeroAt - cchPrefix;
        return ReadInternational(written.digits.substr(cchPrefix), nZeroAt, normalised, reason);
    } else {
        return ReadUnprefixed(written.digits, written.nZeroAt, countryCode, normalised, reason);
    }
    return false;
}

std::vector<std::u16string> SplitNumbers(const std::u16string& field)
{
    std::vector<std::u16string> numbers;
    Split(field, 0, numbers);
    return numbers;
}

std::u16string ComparableNumber(const std::u16string& existing, const std::u16string& countryCode)
{
    NormalisedNumber normalised;
    SkipReason reason;
    if (NormaliseNumber(existing, countryCode, normalised, reason)) {
        return normalised.number;
    }
    std::u16string number;
    for (char16_t ch : existing) {
        if (!IsNumberSeparator(ch)) {
            number.push_back(ch);
        }
    }
    return number;
}
