#pragma once

#include <cstddef>
#include <string>

#include "addressbook/text/bytesource.h"
#include "addressbook/text/utf8.h"

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Ansi };

// Turns a file's bytes, as they arrive in pieces of any size, into UTF-16 text
// in which every line end (CRLF, LF or a lone CR) is one LF.
class CTextDecoder {
public:
    CTextDecoder(TextEncoding encoding, AnsiDecoder decodeAnsi);

    // The encoding a byte order mark at the start of the bytes names, and the
    // mark's length; false when there is none.
    static bool DetectBom(const char* p, size_t cb, TextEncoding& encoding, size_t& cbBom);

    // Appends the text of the bytes; a character split between two pieces
    // comes with the second.
    void Decode(const char* p, size_t cb, std::u16string& text);
    void Finish(std::u16string& text);

private:
    void DecodeUtf16(const char* p, size_t cb, std::u16string& text);
    void DecodeAnsi(const char* p, size_t cb, std::u16string& text);
    void FlushAnsi(size_t cb, std::u16string& text);
    void NormaliseLineEnds(std::u16string& text, size_t start);

    TextEncoding m_encoding;
    AnsiDecoder m_decodeAnsi;
    CUtf8Decoder m_utf8;
    // The first byte of a UTF-16 unit whose second is still to come.
    int m_nPendingByte = -1;
    // ANSI bytes held back until a piece ends where no character can be split.
    std::string m_pendingAnsi;
    bool m_bAfterCr = false;
};
