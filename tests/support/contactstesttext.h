#pragma once

#include <string>

#include "addressbook/addressbookreader.h"
#include "addressbook/text/utf8.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

// Test helpers: text as UTF-8 for readable expectations, and back.
inline std::string Utf8(const std::u16string& text)
{
    std::string bytes;
    AppendUtf8(bytes, text);
    return bytes;
}

inline std::u16string Utf16(const std::string& utf8)
{
    std::u16string text;
    CUtf8Decoder decoder;
    decoder.Feed(utf8.data(), utf8.size(), &text);
    return text;
}

// The decoder the program has, with windows-1252 as the system's code page:
// the system's own converter under Windows, iconv natively.
inline bool DecodeTestCodePage(unsigned nCodePage, const char* p, size_t cb, std::u16string& text)
{
    nCodePage = nCodePage == 0 ? 1252 : nCodePage;
#if defined(_WIN32)
    const int cch = ::MultiByteToWideChar(nCodePage, MB_ERR_INVALID_CHARS, p, static_cast<int>(cb), nullptr, 0);
    if (cch <= 0) {
        return false;
    }
    std::wstring wide(static_cast<size_t>(cch), L'\0');
    ::MultiByteToWideChar(nCodePage, MB_ERR_INVALID_CHARS, p, static_cast<int>(cb), &wide[0], cch);
    text.append(wide.begin(), wide.end());
    return true;
#else
    const std::string name = nCodePage >= 28591 && nCodePage <= 28605 ? "ISO-8859-" + std::to_string(nCodePage - 28590)
                             : nCodePage == 20866                       ? std::string("KOI8-R")
                             : nCodePage == 21866                       ? std::string("KOI8-U")
                                                                        : "CP" + std::to_string(nCodePage);
    iconv_t converter = ::iconv_open("UTF-16LE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string in(p, cb);
    std::string out(cb * 4 + 4, '\0');
    char* pIn = &in[0];
    char* pOut = &out[0];
    size_t cbIn = cb;
    size_t cbOut = out.size();
    const bool bDone = ::iconv(converter, &pIn, &cbIn, &pOut, &cbOut) != static_cast<size_t>(-1);
    ::iconv_close(converter);
    for (size_t i = 0; bDone && i + 1 < out.size() - cbOut; i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                             static_cast<unsigned char>(out[i + 1]) << 8));
    }
    return bDone;
#endif
}
