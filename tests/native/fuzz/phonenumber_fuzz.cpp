// libFuzzer target for the number normaliser and the choice of a number. The
// input is a country code line and a telephone field. Whatever they hold: a
// number read is digits only, at most 20 (the add dialog takes no more), "00"
// and the international number unless it fits no reading and is marked
// ambiguous; reading it again gives it back, so that duplicates compare; the
// choice takes one of the field's numbers. Any violation aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "addressbook/numbers/numberchoice.h"
#include "addressbook/numbers/phonenumber.h"
#include "contactstesttext.h"

namespace {

void Check(bool bHolds)
{
    if (!bHolds) {
        std::abort();
    }
}

bool IsDigits(const std::u16string& text)
{
    for (char16_t ch : text) {
        if (ch < u'0' || ch > u'9') {
            return false;
        }
    }
    return !text.empty();
}

void CheckNumber(const std::u16string& raw, const std::u16string& countryCode)
{
    NormalisedNumber normalised;
    SkipReason reason = SkipReason::NoNumber;
    if (!NormaliseNumber(raw, countryCode, normalised, reason)) {
        return;
    }
    const std::u16string& number = normalised.number;
    Check(IsDigits(number) && number.size() <= 20);
    Check(number.compare(0, 2, u"00") == 0 || normalised.bAmbiguous);
    Check(normalised.otherReading.empty() || (normalised.bAmbiguous && IsDigits(normalised.otherReading)));
    if (number.compare(0, 2, u"00") == 0) {
        NormalisedNumber again;
        Check(NormaliseNumber(number, countryCode, again, reason) && again.number == number);
        Check(ComparableNumber(raw, countryCode) == number);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    const std::string bytes(reinterpret_cast<const char*>(pData), cbData);
    const size_t lineEnd = bytes.find('\n');
    std::u16string countryCode = lineEnd == std::string::npos ? std::u16string() : Utf16(bytes.substr(0, lineEnd));
    const std::u16string field = Utf16(lineEnd == std::string::npos ? bytes : bytes.substr(lineEnd + 1));
    if (!IsDigits(countryCode) || countryCode.size() > 3) {
        countryCode.clear();
    }
    const std::vector<std::u16string> numbers = SplitNumbers(field);
    for (const std::u16string& number : numbers) {
        CheckNumber(number, countryCode);
    }
    const NumberChoice choice = ChooseNumber({{field, PhoneKind::Mobile, 0}}, countryCode);
    if (choice.bChosen) {
        bool bFromField = false;
        for (const std::u16string& number : numbers) {
            bFromField = bFromField || number == choice.written;
        }
        Check(bFromField && choice.nOtherMobiles < numbers.size());
    }
    return 0;
}
