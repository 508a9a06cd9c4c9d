#pragma once

#include <string>

#include "addressbook/addressbookreader.h"
#include "addressbook/text/utf8.h"

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

// windows-1252 in part: enough to show the ANSI decoder was the one used.
inline std::u16string DecodeTestAnsi(const char* p, size_t cb)
{
    std::u16string text;
    for (size_t i = 0; i < cb; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        text.push_back(b == 0x80 ? u'\u20AC' : char16_t{b});
    }
    return text;
}
