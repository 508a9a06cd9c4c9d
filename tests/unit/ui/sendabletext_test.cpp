#include <gtest/gtest.h>

#include "ui/exchange/sendabletext.h"

namespace {

std::wstring Found(std::initializer_list<const CBstr*> texts)
{
    CBstr bstrFound = UnsendableCharacters(texts);
    return std::wstring(bstrFound.c_str(), bstrFound.Length());
}

TEST(UnsendableCharactersTest, Latin1IsSendableAndEverythingAboveIsNot)
{
    CBstr bstrLatin1(L"caf\xE9 \xF1 \xA3 \xFF \x7F\r\n");
    EXPECT_EQ(Found({&bstrLatin1}), L"");
    CBstr bstrAbove(L"\x0100");
    EXPECT_EQ(Found({&bstrAbove}), L"\x0100");
}

TEST(UnsendableCharactersTest, EachOffenderOnceInOrderOfAppearanceAcrossTexts)
{
    CBstr bstrFirst(L"\x201C" L"5\x20AC\x201D");
    CBstr bstrEmpty;
    CBstr bstrLast(L"\x20AC\x0141" L"ad\x201C");
    EXPECT_EQ(Found({&bstrFirst, &bstrEmpty, &bstrLast}), L"\x201C\x20AC\x201D\x0141");
}

}  // namespace
