#pragma once

#include <cstddef>
#include <string>

// A file read in chunks; the address book reader reads it twice (once to tell
// its encoding, once to parse), so it must be able to start again.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    // cbRead 0 is the end; false is a read error.
    virtual bool Read(char* pBuffer, size_t cbWanted, size_t& cbRead) = 0;
    virtual bool Rewind() = 0;
};

// Converts bytes in the system's ANSI code page to UTF-16. The reader calls it
// for files that have no byte order mark and are not valid UTF-8, in pieces
// that never split a double-byte character (each ends after a byte below 0x40,
// such as a line end, unless a run of 64 KiB has none); and for a vCard's
// quoted-printable value in a charset it does not know. Null reads the bytes
// as ISO 8859-1.
using AnsiDecoder = std::u16string (*)(const char* p, size_t cb);
