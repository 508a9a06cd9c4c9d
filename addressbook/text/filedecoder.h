#pragma once

#include <cstddef>
#include <string>

#include "addressbook/text/codepages.h"
#include "addressbook/text/linereader.h"

// The first stage a file's bytes go through: tells UTF-16 (by its byte order
// mark, or without one by its zero bytes) from 8-bit text, which it hands on
// as UTF-8 to the line reader, and notes what a UTF-8 byte order mark says of
// the lines that are not valid UTF-8.
class CFileDecoder {
public:
    // Bytes looked at to tell UTF-16 without a byte order mark.
    static constexpr size_t kHeadBytes = 4096;

    CFileDecoder(TextCodec& codec, ILineSink& sink);

    void Feed(const char* p, size_t cb);
    void Finish();

private:
    enum class Kind { Unknown, Bytes, Utf16Le, Utf16Be };

    void Decide();
    void Pass(const char* p, size_t cb);
    void FeedUtf16(const char* p, size_t cb);
    void AppendUnit(char16_t unit);

    TextCodec& m_codec;
    CLineReader m_lines;
    Kind m_kind = Kind::Unknown;
    std::string m_head;
    // UTF-16: the first byte of a unit, a high surrogate waiting for its pair.
    int m_nPendingByte = -1;
    char16_t m_highSurrogate = 0;
    std::string m_utf8;
};
