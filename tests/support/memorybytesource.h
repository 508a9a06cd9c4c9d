#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "addressbook/text/bytesource.h"

// A file held in memory, handed out in pieces of at most cbPiece bytes.
class CMemoryByteSource : public IByteSource {
public:
    explicit CMemoryByteSource(std::string bytes, size_t cbPiece = 64 * 1024)
        : m_bytes(std::move(bytes)), m_cbPiece(cbPiece)
    {
    }

    bool Read(char* pBuffer, size_t cbWanted, size_t& cbRead) override
    {
        cbRead = std::min({cbWanted, m_cbPiece, m_bytes.size() - m_nAt});
        std::memcpy(pBuffer, m_bytes.data() + m_nAt, cbRead);
        m_nAt += cbRead;
        return true;
    }

    bool Rewind() override
    {
        m_nAt = 0;
        return true;
    }

private:
    std::string m_bytes;
    size_t m_cbPiece;
    size_t m_nAt = 0;
};
