#include "settings/regvalue.h"

#include <cstring>
#include <string>

namespace {

bool ReadDword(DWORD dwType, const BYTE* pData, DWORD cbSize, DWORD& dwValue)
{
    if (dwType != REG_DWORD || cbSize != sizeof(DWORD)) {
        return false;
    }
    std::memcpy(&dwValue, pData, sizeof(DWORD));
    return true;
}

bool CopyToBuffer(const void* pSource, DWORD cbSize, CHeapPtr<BYTE>& pBuffer)
{
    pBuffer.reset(static_cast<BYTE*>(std::malloc(cbSize)));
    if (!pBuffer) {
        return false;
    }
    std::memcpy(pBuffer.get(), pSource, cbSize);
    return true;
}

bool WriteDword(DWORD dwValue, DWORD& dwType, CHeapPtr<BYTE>& pBuffer, DWORD& cbSize)
{
    if (!CopyToBuffer(&dwValue, sizeof(DWORD), pBuffer)) {
        return false;
    }
    dwType = REG_DWORD;
    cbSize = sizeof(DWORD);
    return true;
}

}  // namespace

bool CRegValue<bool>::ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, bool& value) const
{
    DWORD dwValue = 0;
    if (!ReadDword(dwType, pData, cbSize, dwValue)) {
        return false;
    }
    value = dwValue != 0;
    return true;
}

bool CRegValue<bool>::ConvertToRegistry(const bool& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer,
                                        DWORD& cbSize) const
{
    return WriteDword(value ? 1 : 0, dwType, pBuffer, cbSize);
}

bool CRegValue<DWORD>::ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, DWORD& value) const
{
    return ReadDword(dwType, pData, cbSize, value);
}

bool CRegValue<DWORD>::ConvertToRegistry(const DWORD& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer,
                                         DWORD& cbSize) const
{
    return WriteDword(value, dwType, pBuffer, cbSize);
}

bool CRegValue<CBstr>::ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, CBstr& value) const
{
    if (dwType != REG_SZ) {
        return false;
    }
    const void* pNul = std::memchr(pData, '\0', cbSize);
    DWORD cbText = pNul ? static_cast<DWORD>(static_cast<const BYTE*>(pNul) - pData) : cbSize;
    value = CBstr::FromAnsi(reinterpret_cast<const char*>(pData), static_cast<int>(cbText));
    return true;
}

bool CRegValue<CBstr>::ConvertToRegistry(const CBstr& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer,
                                         DWORD& cbSize) const
{
    std::string text = value.ToAnsi();
    DWORD cbText = static_cast<DWORD>(text.size()) + 1;
    if (!CopyToBuffer(text.c_str(), cbText, pBuffer)) {
        return false;
    }
    dwType = REG_SZ;
    cbSize = cbText;
    return true;
}
