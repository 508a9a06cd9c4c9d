#include "addressbook/text/memorybytesource.h"

#include <algorithm>
#include <cstring>
#include <utility>

CMemoryByteSource::CMemoryByteSource(std::string bytes, size_t cbPiece) : m_bytes(std::move(bytes)), m_cbPiece(cbPiece)
{
}

bool CMemoryByteSource::Read(char* pBuffer, size_t cbWanted, size_t& cbRead)
{
    cbRead = std::min({cbWanted, m_cbPiece, m_bytes.size() - m_nAt});
    std::memcpy(pBuffer, m_bytes.data() + m_nAt, cbRead);
    m_nAt += cbRead;
    return true;
}

bool CMemoryByteSource::Rewind()
{
    m_nAt = 0;
    return true;
}
