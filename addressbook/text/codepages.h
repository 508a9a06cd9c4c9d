#pragma once

#include <cstddef>
#include <string>

// Windows code page numbers, which the caller's decoder understands.
constexpr unsigned kSystemCodePage = 0;  // the system's ANSI code page
constexpr unsigned kUtf8CodePage = 65001;

// Converts bytes in a Windows code page (kSystemCodePage: the system's ANSI
// code page) to UTF-16; false when a byte sequence has no character there.
// The caller supplies it: the address book makes no Windows call.
using CodePageDecoder = bool (*)(unsigned nCodePage, const char* p, size_t cb, std::u16string& text);

// The decoder, and the code page of text whose encoding nothing names (the
// system's, unless the file's byte order mark or parameters say otherwise).
struct TextCodec {
    CodePageDecoder decode = nullptr;
    unsigned nFallbackCodePage = kSystemCodePage;
};

// The code page a MIME charset name stands for ("windows-1250", "ISO-8859-2",
// "KOI8-R", "UTF-8", ...), in any case and spelling of its separators; 0 for
// a name not known.
unsigned CodePageOfCharset(const std::u16string& name);

// Appends the text of bytes in a code page: UTF-8 decoded here, any other
// through the decoder (null reads the bytes as ISO 8859-1). Where the code
// page has no character for the bytes, each byte outside ASCII becomes U+FFFD,
// so that the value they belong to reads as unreadable.
void AppendDecoded(CodePageDecoder decode, unsigned nCodePage, const char* p, size_t cb, std::u16string& text);

// Whether the bytes are valid UTF-8 (ASCII included).
bool IsValidUtf8(const char* p, size_t cb);
