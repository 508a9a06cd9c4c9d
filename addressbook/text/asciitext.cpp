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
