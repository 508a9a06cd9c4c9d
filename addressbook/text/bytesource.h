#pragma once

#include <cstddef>

// A file read in chunks; the address book reader reads it again when a quote
// in it is never closed, so it must be able to start again.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    // cbRead 0 is the end; false is a read error.
    virtual bool Read(char* pBuffer, size_t cbWanted, size_t& cbRead) = 0;
    virtual bool Rewind() = 0;
};
