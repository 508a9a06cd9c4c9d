#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contactstesttext.h"
#include "addressbook/importplan.h"
#include "addressbook/numbers/phonenumber.h"

namespace {

const char* const kReasons[] = {"NoName",         "NameTooLong",        "UnsupportedCharacters", "NoNumber",
                                "NationalNumber", "LettersOrExtension", "Duplicate",             "Unreadable",
                                "TooLong",        "SpreadsheetNumber",  "UnclosedQuote"};

struct NumberCase {
    const char* pszRaw;
    const char* pszCountryCode;
    // The number (and "?" and the other reading, if any, when ambiguous), or
    // "!" and the reason.
    const char* pszExpected;
};

const NumberCase kNumberCases[] = {
    {"+44 7700 900123", "44", "00447700900123"},
    {"+44 (0)20 7946 0000", "", "00442079460000"},
    {"0044 (0) 20-7946.0000", "", "00442079460000"},
    {"(020) 7946/0000", "44", "00442079460000"},
    {"07700\u00A0900\u202F123", "44", "00447700900123"},
    {"07700\u2011900\u2013123", "353", "003537700900123"},
    {"07700 900123", "", "!NationalNumber"},
    {"447700900123", "", "00447700900123"},
    {"", "44", "!NoNumber"},
    {" - ( ) ", "44", "!NoNumber"},
    {"07700 900123 ext 5", "44", "!LettersOrExtension"},
    {"020 7946 x12", "44", "!LettersOrExtension"},
    {"+44-7700-900123;ext=55", "44", "!LettersOrExtension"},
    {"020 7946#1", "44", "!LettersOrExtension"},
    {"*100", "44", "!LettersOrExtension"},
    {"020,,12", "44", "!LettersOrExtension"},
    {"0800 FLOWERS", "44", "!LettersOrExtension"},
    {"44+1", "44", "!LettersOrExtension"},
};

TEST(ImportPlanTest, NormalisesNumbersIntoTheInternationalForm)
{
    for (const NumberCase& row : kNumberCases) {
        NormalisedNumber number;
        SkipReason reason = SkipReason::Duplicate;
        const bool bNormalised = NormaliseNumber(Utf16(row.pszRaw), Utf16(row.pszCountryCode), number, reason);
        const std::string shown = Utf8(number.number) + (number.bAmbiguous ? "?" + Utf8(number.otherReading) : "");
        EXPECT_EQ(bNormalised ? shown : std::string("!") + kReasons[static_cast<int>(reason)], row.pszExpected)
            << row.pszRaw << " in " << row.pszCountryCode;
    }
}

std::vector<std::string> Describe(const ImportPlan& plan)
{
    std::vector<std::string> lines;
    for (const ImportCandidate& add : plan.toAdd) {
        lines.push_back(std::to_string(add.nLine) + " add " + Utf8(add.firstName) + "|" + Utf8(add.lastName) + "|" +
                        Utf8(add.number) + (add.bNotMobile ? " not-mobile" : "") +
                        (add.nOtherMobiles ? " +" + std::to_string(add.nOtherMobiles) : "") +
                        (add.bAmbiguous ? " ambiguous" + (add.otherReading.empty() ? "" : ":" + Utf8(add.otherReading))
                                        : "") +
                        (add.bOtherReadingKnown ? " known" : ""));
    }
    for (const ImportSkip& skip : plan.skipped) {
        lines.push_back(std::to_string(skip.nLine) + " " + kReasons[static_cast<int>(skip.reason)] + " " +
                        Utf8(skip.name));
    }
    return lines;
}

RawContact Contact(unsigned nLine, const std::string& given, const std::string& family, const std::string& formatted,
                   const std::string& number)
{
    RawContact contact;
    contact.given = Utf16(given);
    contact.family = Utf16(family);
    contact.formatted = Utf16(formatted);
    if (!number.empty()) {
        contact.phones.push_back({Utf16(number), PhoneKind::Mobile, 0});
    }
    contact.nLine = nLine;
    return contact;
}

TEST(ImportPlanTest, ChecksNameThenNumberThenDuplicates)
{
    const std::string k54 = "ÿ" + std::string(53, 'b');
    const std::string k70(70, 'a');
    const std::vector<RawContact> contacts = {
        Contact(1, "John", "Smith", "John Smith", "07700 900123"),
        Contact(2, "", "", "Ann Lee", "+44 7700 900124"),
        Contact(3, " ", "Solo", "", "07700 900131"),
        Contact(4, k70, "", "", "07700 900150"),
        Contact(5, "Jo", k54, "", "07700 900130"),
        Contact(6, "Łukasz", "", "", ""),
        Contact(7, "Al", "", "", ""),
        Contact(8, "Bo", "", "", "0800 FLOWERS"),
        Contact(9, "Cy", "", "", "0044 7700 900000"),
        Contact(10, "Di", "", "", "07700-900001"),
        Contact(11, "Ed", "", "", "+44 (0)7700 900123"),
        Contact(12, "", "", "", "07700 900140"),
        Contact(13, "Gus", "", "", "07700 900150"),
        Contact(14, "Eva", std::string("Lu\0nd", 5), "", "07700 900160"),
    };
    const std::vector<std::u16string> existing = {u"+44 7700 900000", u"0044 7700 900001"};
    EXPECT_EQ(Describe(PlanImport(contacts, existing, u"44")),
              (std::vector<std::string>{
                  "1 add John|Smith|00447700900123", "2 add Ann Lee||00447700900124", "3 add Solo||00447700900131",
                  "5 add Jo|" + k54 + "|00447700900130", "13 add Gus||00447700900150",
                  "4 NameTooLong " + k70.substr(0, 57) + "...", "6 UnsupportedCharacters Łukasz", "7 NoNumber Al",
                  "8 LettersOrExtension Bo", "9 Duplicate Cy", "10 Duplicate Di", "11 Duplicate Ed",
                  "12 NoName 07700 900140", "14 UnsupportedCharacters Eva " + std::string("Lu\0nd", 5)}));
    EXPECT_EQ(Describe(PlanImport({contacts[0], contacts[1]}, {}, u"")),
              (std::vector<std::string>{"2 add Ann Lee||00447700900124", "1 NationalNumber John Smith"}));
}

}  // namespace
