#include "addressbook/text/asciitext.h"

#include <cstring>

namespace {

char16_t FoldCase(char16_t ch)
{
    return ch >= u'a' && ch <= u'z' ? static_cast<char16_t>(ch - u'a' + u'A') : ch;
}

bool MatchesNoCase(const std::u16string& text, const char* pszAscii, size_t cch)
{
    for (size_t i = 0; i < cch; ++i) {
        if (FoldCase(text[i]) != FoldCase(static_cast<char16_t>(static_cast<unsigned char>(pszAscii[i])))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsBlank(char16_t ch)
{
    return ch == u' ' || ch == u'\t';
}

bool IsBlankText(const std::u16string& text)
{
    for (char16_t ch : text) {
        if (!IsBlank(ch)) {
            return false;
        }
    }
    return true;
}

std::u16string TrimBlanks(const std::u16string& text)
{
    size_t first = 0;
    size_t end = text.size();
    while (first < end && IsBlank(text[first])) {
        ++first;
    }
    while (end > first && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(first, end - first);
}

bool EqualsNoCase(const std::u16string& text, const char* pszAscii)
{
    const size_t cch = std::strlen(pszAscii);
    return text.size() == cch && MatchesNoCase(text, pszAscii, cch);
}

bool StartsWithNoCase(const std::u16string& text, const char* pszAscii)
{
    const size_t cch = std::strlen(pszAscii);
    return text.size() >= cch && MatchesNoCase(text, pszAscii, cch);
}

std::u16string ToUpperAscii(std::u16string text)
{
    for (char16_t& ch : text) {
        ch = FoldCase(ch);
    }
    return text;
}

namespace {

char16_t LowerLatin(char16_t ch)
{
    if ((ch >= u'A' && ch <= u'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7)) {
        return static_cast<char16_t>(ch + 0x20);
    }
    const bool bEvenUpper = (ch >= 0x100 && ch <= 0x137) || (ch >= 0x14A && ch <= 0x177);
    const bool bOddUpper = (ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E);
    if ((bEvenUpper && ch % 2 == 0) || (bOddUpper && ch % 2 == 1)) {
        return static_cast<char16_t>(ch + 1);
    }
    return ch;
}

bool IsNameChar(char16_t ch)
{
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'z') || (ch >= 0xDF && ch <= 0x17F && ch != 0xF7);
}

}  // namespace

std::u16string FoldedName(const std::u16string& text)
{
    std::u16string folded;
    for (char16_t ch : text) {
        const char16_t lower = LowerLatin(ch);
        if (IsNameChar(lower)) {
            folded.push_back(lower);
        }
    }
    return folded;
}
