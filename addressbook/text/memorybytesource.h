#pragma once

#include <cstddef>
#include <string>

#include "addressbook/text/bytesource.h"

// Bytes held in memory, read as a file: text pasted from the clipboard, or a
// file read once and read again with other columns, without the disk. Hands
// them out in pieces of at most cbPiece bytes.
class CMemoryByteSource : public IByteSource {
public:
    explicit CMemoryByteSource(std::string bytes, size_t cbPiece = 64 * 1024);

    bool Read(char* pBuffer, size_t cbWanted, size_t& cbRead) override;
    bool Rewind() override;

private:
    std::string m_bytes;
    size_t m_cbPiece;
    size_t m_nAt = 0;
};
