#include "addressbook/numbers/phonenumber.h"

#include <string>

#include "addressbook/numbers/telephoneplan.h"
#include "addressbook/text/asciitext.h"

namespace {

constexpr size_t kNone = std::u16string::npos;
// A part of a field that splits holds a number of its own.
constexpr size_t kMinSplitDigits = 7;
constexpr size_t kMaxNumbersInField = 16;
// The add dialog takes numbers of this many characters.
constexpr size_t kMaxSentChars = 20;

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

// The digits of a number, whether "+" led them, where the zero of an "(0)"
// after the first digits stands, and whether anything else was written.
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
        } else if (ch == u'(' && !written.digits.empty() && written.nZeroAt == kNone &&
                   raw.compare(i, 3, u"(0)") == 0) {
            written.nZeroAt = written.digits.size();
            written.digits.push_back(u'0');
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
bool InternationalForm(std::u16string digits, size_t nZeroAt, std::u16string& number, SkipReason& reason)
{
    size_t cchCode = 0;
    const CallingCodePlan* pPlan = CallingCodeAt(digits, cchCode);
    if (pPlan != nullptr && nZeroAt == cchCode && std::string(pPlan->szTrunkPrefix) == "0") {
        digits.erase(nZeroAt, 1);
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
        number = u"00" + digits;
        return true;
    }
    std::u16string national = digits.substr(cchCode);
    const char* pszTrunk = pPlan->szTrunkPrefix;
    if (StartsWith(national, pszTrunk)) {
        // Once only, so that reading the result again gives it back.
        const std::u16string stripped = national.substr(Length(pszTrunk));
        const bool bFits = FitsLength(pPlan->lengths, stripped.size()) || !FitsLength(pPlan->lengths, national.size());
        if (bFits && !StartsWith(stripped, pszTrunk)) {
            national = stripped;
        }
    }
    if (national.size() > LongestLength(pPlan->lengths)) {
        reason = SkipReason::TooLong;
        return false;
    }
    number = u"00" + digits.substr(0, cchCode) + national;
    return true;
}

bool ReadInternational(const Written& written, NormalisedNumber& normalised, SkipReason& reason)
{
    const size_t cchPrefix = written.bPlus ? 0 : 2;
    const size_t nZeroAt =
        written.nZeroAt == kNone || written.nZeroAt < cchPrefix ? kNone : written.nZeroAt - cchPrefix;
    return InternationalForm(written.digits.substr(cchPrefix), nZeroAt, normalised.number, reason);
}

// Digits without "+" or "00": a national number of the member's country, or
// an international one written without its prefix, as the plan's lengths
// tell; where both fit, the member's own country is the likelier (mobiles go
// without the national prefix in many countries), and the preview asks.
bool ReadUnprefixed(const std::u16string& digits, const std::u16string& memberCode, NormalisedNumber& normalised,
                    SkipReason& reason)
{
    // A code the plan lacks is no country's: national numbers cannot be read.
    const CallingCodePlan* pHome = CallingCodeNamed(memberCode);
    if (pHome == nullptr && digits[0] == u'0') {
        reason = SkipReason::NationalNumber;
        return false;
    }
    // Both readings go through the international form, so that reading a
    // result again gives it back.
    const bool bTrunk = pHome != nullptr && StartsWith(digits, pHome->szTrunkPrefix);
    std::u16string national;
    SkipReason ignored = SkipReason::TooLong;
    const bool bNational =
        pHome != nullptr &&
        InternationalForm(memberCode + digits.substr(bTrunk ? Length(pHome->szTrunkPrefix) : 0), kNone, national,
                          ignored);
    const bool bNationalFits = bNational && FitsLength(pHome->lengths, national.size() - 2 - memberCode.size());
    size_t cchCode = 0;
    const CallingCodePlan* pAbroad = CallingCodeAt(digits, cchCode);
    std::u16string international;
    const bool bAbroad = pAbroad != nullptr && InternationalForm(digits, kNone, international, ignored);
    const bool bAbroadFits = bAbroad && FitsLength(pAbroad->mobileLengths, international.size() - 2 - cchCode);
    if (bNationalFits) {
        // Where both fit, the member's own country is the likelier (mobiles go
        // without the national prefix in many countries): the preview asks.
        normalised.number = national;
        normalised.bAmbiguous = !bTrunk && bAbroadFits;
        normalised.otherReading = normalised.bAmbiguous ? international : std::u16string();
    } else if (bAbroadFits) {
        normalised.number = international;
    } else if (bTrunk && bNational) {
        normalised.number = national;
        normalised.bAmbiguous = true;
    } else if (bTrunk || (!bNational && !bAbroad && (pHome != nullptr || pAbroad != nullptr ||
                                                     digits.size() > kMaxInternationalDigits))) {
        reason = SkipReason::TooLong;
        return false;
    } else {
        // Fits no reading: as it stands, for the preview to ask.
        normalised.number = digits;
        normalised.bAmbiguous = true;
        normalised.otherReading = bNational ? national : bAbroad ? international : std::u16string();
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
    } else {
        const bool bInternational = written.bPlus || StartsWith(written.digits, "00");
        const bool bRead = bInternational ? ReadInternational(written, normalised, reason)
                                          : ReadUnprefixed(written.digits, countryCode, normalised, reason);
        if (bRead && normalised.number.size() > kMaxSentChars) {
            reason = SkipReason::TooLong;
            return false;
        }
        return bRead;
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
