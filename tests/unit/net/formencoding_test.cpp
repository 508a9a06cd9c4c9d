#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/bstr.h"
#include "net/formencoder.h"
#include "net/formfields.h"

namespace {

std::wstring Encoded(const std::wstring& value)
{
    CBstr encoded = FormEncoder().Encode(CBstr(value.c_str(), static_cast<UINT>(value.size())));
    return encoded.c_str();
}

std::wstring Body(FormFields& fields)
{
    CBstr body(L"stale");
    EXPECT_TRUE(fields.BuildRequest(body));
    return body.c_str();
}

TEST(FormEncoderTest, EncodesTheServicesExamples)
{
    const std::vector<std::pair<std::wstring, std::wstring>> examples = {
        {L"Hello world, 50% off!", L"Hello%20world%2C%2050%25%20off%21"},
        {L"it's (ok)", L"it's%20(ok)"},
        {L"x*y-z_1.0", L"x*y-z_1.0"},
        {L"a+b=c", L"a%2Bb%3Dc"},
        {L"~{|}", L"%7E%7B%7C%7D"},
        {L"12,15,40", L"12%2C15%2C40"},
        {L"\r\n", L"%0D%0A"},
        {L"\t", L"%09"},
        {L"\x7F", L"%7F"},
        {L"\u00E9", L"%E9"},
        {L"\u20AC", L"%AC"},
        {L"\u0141", L"A"},
        {L"", L""},
    };
    for (const auto& [value, expected] : examples) {
        EXPECT_EQ(Encoded(value), expected) << "value: " << ::testing::PrintToString(value);
    }
}

TEST(FormEncoderTest, EscapesEveryReservedCharacter)
{
    EXPECT_EQ(Encoded(L"\"<>%\\^[]`+$,@:;/!#?=&"),
              L"%22%3C%3E%25%5C%5E%5B%5D%60%2B%24%2C%40%3A%3B%2F%21%23%3F%3D%26");
}

// Every 8-bit code against the rule as the service documents it: letters,
// digits and seven marks travel as they are, everything else as "%XX".
TEST(FormEncoderTest, SendsOnlyLettersDigitsAndSevenMarksUnescaped)
{
    const char kUnreserved[] = "'()*-._";
    const wchar_t kHex[] = L"0123456789ABCDEF";
    for (int code = 1; code < 256; ++code) {
        bool bPlain = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || (code >= '0' && code <= '9') ||
                      (code < 128 && std::strchr(kUnreserved, code));
        std::wstring expected = bPlain ? std::wstring(1, static_cast<wchar_t>(code))
                                       : std::wstring{L'%', kHex[code / 16], kHex[code % 16]};
        EXPECT_EQ(Encoded(std::wstring(1, static_cast<wchar_t>(code))), expected) << "code " << code;
        // The high byte of a 16-bit unit is dropped.
        EXPECT_EQ(Encoded(std::wstring(1, static_cast<wchar_t>(0x3100 + code))), expected) << "code " << code;
    }
}

TEST(FormEncoderTest, EscapeCharGivesTwoUpperCaseDigits)
{
    EXPECT_STREQ(FormEncoder::EscapeChar(10).c_str(), L"%0A");
    EXPECT_STREQ(FormEncoder::EscapeChar(0).c_str(), L"%00");
    EXPECT_STREQ(FormEncoder::EscapeChar(-1).c_str(), L"%FF");
    EXPECT_STREQ(FormEncoder::EscapeChar(-128).c_str(), L"%80");
}

TEST(FormEncoderTest, StopsAtTheFirstNulUnit)
{
    EXPECT_EQ(Encoded(std::wstring(L"ab\0c d", 6)), L"ab");
    EXPECT_EQ(Encoded(std::wstring(L"\0x", 2)), L"");
}

TEST(FormFieldsTest, CommonFieldsGiveTheDetailsBody)
{
    FormFields info;
    info.SetField(L"VERSION", L"1.0");
    info.SetField(L"USERNAME", L"ann.lee@example.com");
    info.SetField(L"PASSWORD", L"p&ss word");
    info.SetField(L"ACTION", L"GETINFORMATION");
    EXPECT_EQ(Body(info), L"action=GETINFORMATION&password=p%26ss%20word&username=ann.lee%40example.com&version=1.0");
}

TEST(FormFieldsTest, ListsFieldsInNameOrderWhateverTheOrderSet)
{
    FormFields info;
    info.SetField(L"message", L"m");
    info.SetField(L"Cn", L"1");
    info.SetField(L"ACTION", L"SEND");
    info.SetField(L"cl", L"2");
    EXPECT_EQ(Body(info), L"action=SEND&cl=2&cn=1&message=m");
}

TEST(FormFieldsTest, SameNameInAnotherCaseReplacesTheField)
{
    FormFields info;
    info.SetField(L"ACTION", L"SEND");
    info.SetField(L"action", L"ADDCONTACT");
    info.SetField(L"Action", L"DELETECONTACTS");
    EXPECT_EQ(Body(info), L"action=DELETECONTACTS");
}

TEST(FormFieldsTest, EmptyMapAndEmptyValue)
{
    FormFields empty;
    EXPECT_EQ(Body(empty), L"");

    FormFields info;
    info.SetField(L"ln", CBstr());
    info.SetField(L"fn", L"Ann");
    EXPECT_EQ(Body(info), L"fn=Ann&ln=");
}

TEST(FormFieldsTest, LowerCasesNamesThroughTheAnsiCodePage)
{
    FormFields info;
    info.SetField(L"\u00C9TAT", L"x");
    EXPECT_EQ(Body(info), L"\u00E9tat=x");
}

TEST(FormFieldsTest, NamesAreNotEncoded)
{
    FormFields info;
    info.SetField(L"a b", L"c d");
    EXPECT_EQ(Body(info), L"a b=c%20d");
}

}  // namespace
