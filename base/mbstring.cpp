#include "base/mbstring.h"

#include <cstring>

UINT ThreadAnsiCodePage()
{
    UINT nCodePage = 0;
    if (::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPSTR>(&nCodePage), sizeof(nCodePage) / sizeof(char)) == 0) {
        nCodePage = ::GetACP();
    }
    return nCodePage;
}

namespace {

bool IsLeadByte(UINT nCodePage, char ch)
{
    return ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(ch)) != FALSE;
}

const char* Next(UINT nCodePage, const char* psz)
{
    if (*psz == '\0') {
        return psz;
    }
    if (IsLeadByte(nCodePage, *psz) && psz[1] != '\0') {
        return psz + 2;
    }
    return psz + 1;
}

char FoldAscii(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

}  // namespace

const char* MbNext(const char* psz) { return Next(ThreadAnsiCodePage(), psz); }

const char* MbFindString(const char* psz, const char* pszSought)
{
    size_t cb = std::strlen(pszSought);
    UINT nCodePage = ThreadAnsiCodePage();
    for (const char* p = psz; *p; p = Next(nCodePage, p)) {
        if (std::strncmp(p, pszSought, cb) == 0) {
            return p;
        }
    }
    return cb == 0 ? psz : nullptr;
}

bool MbStartsWithNoCase(const char* psz, const char* pszWord)
{
    UINT nCodePage = ThreadAnsiCodePage();
    const char* p = psz;
    const char* w = pszWord;
    while (*w) {
        if (*p == '\0') {
            return false;
        }
        // The words are plain ASCII: a double-byte character never equals one of them.
        if (IsLeadByte(nCodePage, *p) || FoldAscii(*p) != FoldAscii(*w)) {
            return false;
        }
        ++p;
        ++w;
    }
    return true;
}
