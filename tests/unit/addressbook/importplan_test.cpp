#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "addressbook/importplan.h"
#include "addressbook/numbers/numberchoice.h"
#include "addressbook/numbers/phonenumber.h"
#include "contactstesttext.h"

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
    // The telephone plan: national prefixes, lengths, prefixes left out.
    {"+44-(0)20-7946-0959", "", "00442079460959"},
    {"+44 020 7946 0959", "", "00442079460959"},
    {"+39 (0)6 1234 5678", "", "00390612345678"},
    {"06 1234 5678", "39", "00390612345678"},
    {"1 (212) 555-0100", "1", "0012125550100"},
    {"(212) 555-0100", "1", "0012125550100"},
    {"8 912 345-67-89", "7", "0079123456789"},
    {"06 20 123 4567", "36", "0036201234567"},
    {"612 345 678", "34", "0034612345678"},
    {"447700900128", "44", "00447700900128"},
    {"33612345678", "44", "0033612345678"},
    {"393471234567", "39", "0039393471234567?00393471234567"},
    {"12345", "", "12345?0012345"},
    {"12", "44", "12?004412"},
    {"28123", "", "28123?"},
    {"+999 123", "", "00999123"},
    {"07700 900123 4567", "44", "!TooLong"},
    {"+44 7700 900123 45", "", "!TooLong"},
    {"1234567890123456", "", "!TooLong"},
    {"4.477E+11", "44", "!SpreadsheetNumber"},
    {" 4,477e11 ", "44", "!SpreadsheetNumber"},
    {"07700 9001\uFFFD", "44", "!Unreadable"},
};

TEST(ImportPlanTest, SplitsAFieldOnlyWhereEachPartIsANumber)
{
    const std::pair<const char*, const char*> kFields[] = {
        {"07700 900129 / 07700 900130", "07700 900129|07700 900130"},
        {"+44 7700 900123 ::: +44 7700 900999", "+44 7700 900123|+44 7700 900999"},
        {"0171/1234567, 0172/7654321; 0173 1234567", "0171/1234567|0172/7654321|0173 1234567"},
        {"(020) 7946/0000", "(020) 7946/0000"},
        {"020,,12", "020,,12"},
        {"+44-7700-900123;ext=55", "+44-7700-900123;ext=55"},
        {" ; ", ";"},
    };
    for (const auto& field : kFields) {
        std::string joined;
        for (const std::u16string& number : SplitNumbers(Utf16(field.first))) {
            joined += (joined.empty() ? "" : "|") + Utf8(number);
        }
        EXPECT_EQ(joined, field.second) << field.first;
    }
}

// "m", "o", "f", "p": mobile, other, fax, pager; "*": preferred; then the text.
std::vector<RawPhone> Phones(const std::string& spec)
{
    std::vector<RawPhone> phones;
    size_t start = 0;
    while (start < spec.size()) {
        const size_t end = std::min(spec.find('|', start), spec.size());
        const size_t colon = spec.find(':', start);
        const std::string kind = spec.substr(start, colon - start);
        const PhoneKind kinds[] = {PhoneKind::Mobile, PhoneKind::Other, PhoneKind::Fax, PhoneKind::Pager};
        phones.push_back({Utf16(spec.substr(colon + 1, end - colon - 1)), kinds[std::string("mofp").find(kind[0])],
                          static_cast<unsigned char>(kind.size() > 1 ? 1 : 0)});
        start = end + 1;
    }
    return phones;
}

TEST(ImportPlanTest, ChoosesThePreferredCleanMobile)
{
    const std::pair<const char*, const char*> kCases[] = {
        {"m:07700 900123 ext 5|m:+44 7700 900124", "00447700900124"},
        {"m:07700 900125|m*:07700 900126|m:07700 900127|m:07700 900125", "00447700900126 +2"},
        {"o:020 7946 0000|f:07700 900128|p:07700 900129", "00442079460000 not-mobile"},
        {"f:07700 900128|p:07700 900129", "!NoNumber"},
        {"m:07700 900131 ext 2|o:020 7946 0001", "!LettersOrExtension 07700 900131 ext 2"},
        {"m:07700 900129 / 07700 900130", "00447700900129 +1"},
        {"o:020 7946 0002|m:4.477E+11", "!SpreadsheetNumber 4.477E+11"},
    };
    for (const auto& row : kCases) {
        const NumberChoice choice = ChooseNumber(Phones(row.first), u"44");
        const std::string shown =
            choice.bChosen ? Utf8(choice.normalised.number) + (choice.bNotMobile ? " not-mobile" : "") +
                                 (choice.nOtherMobiles ? " +" + std::to_string(choice.nOtherMobiles) : "")
                           : "!" + std::string(kReasons[static_cast<int>(choice.reason)]) +
                                 (choice.written.empty() ? "" : " " + Utf8(choice.written));
        EXPECT_EQ(shown, row.second) << row.first;
    }
}

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
    std::vector<RawContact> contacts = {
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
        Contact(15, "Fay", "", "", "447700900002"),
        Contact(16, "Andr\xEF\xBF\xBD", "Roe", "", "07700 900170"),
        Contact(17, "", "", "", "07700 900180"),
        Contact(18, "Hal", "", "", "12345"),
        Contact(19, "Ivy", "", "", "4.477E+11"),
    };
    contacts[16].company = u"Acme";
    contacts[17].bUnclosedQuote = true;
    const std::vector<std::u16string> existing = {u"+44 7700 900000", u"0044 7700 900001", u"00447700900002"};
    EXPECT_EQ(Describe(PlanImport(contacts, existing, u"44")),
              (std::vector<std::string>{
                  "1 add John|Smith|00447700900123", "2 add Ann Lee||00447700900124", "3 add Solo||00447700900131",
                  "5 add Jo|" + k54 + "|00447700900130", "13 add Gus||00447700900150", "17 add Acme||00447700900180",
                  "4 NameTooLong " + k70.substr(0, 57) + "...", "6 UnsupportedCharacters Łukasz", "7 NoNumber Al",
                  "8 LettersOrExtension Bo", "9 Duplicate Cy", "10 Duplicate Di", "11 Duplicate Ed",
                  "12 NoName 07700 900140", "14 UnsupportedCharacters Eva " + std::string("Lu\0nd", 5),
                  "15 Duplicate Fay", "16 Unreadable Andr\xEF\xBF\xBD Roe", "18 UnclosedQuote Hal",
                  "19 SpreadsheetNumber Ivy"}));
    EXPECT_EQ(Describe(PlanImport({contacts[0], contacts[1]}, {}, u"")),
              (std::vector<std::string>{"2 add Ann Lee||00447700900124", "1 NationalNumber John Smith"}));
}

}  // namespace
