#pragma once

#include "base/bstr.h"
#include "settings/regvaluebase.h"

// The program's one settings key under HKEY_CURRENT_USER: the console's
// placement and the bounds of an exchange with the service.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Velmora\\Orvex\\Windows";

// The stored forms: bool and DWORD as a 4-byte REG_DWORD, a string as REG_SZ
// text in the thread's ANSI code page with its terminating NUL.
template <class T>
class CRegValue;

template <>
class CRegValue<bool> : public CRegValueBase<bool> {
public:
    using CRegValueBase<bool>::CRegValueBase;

protected:
    bool ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, bool& value) const override;
    bool ConvertToRegistry(const bool& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer, DWORD& cbSize) const override;
};

template <>
class CRegValue<DWORD> : public CRegValueBase<DWORD> {
public:
    using CRegValueBase<DWORD>::CRegValueBase;

protected:
    bool ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, DWORD& value) const override;
    bool ConvertToRegistry(const DWORD& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer, DWORD& cbSize) const override;
};

template <>
class CRegValue<CBstr> : public CRegValueBase<CBstr> {
public:
    using CRegValueBase<CBstr>::CRegValueBase;

protected:
    bool ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, CBstr& value) const override;
    bool ConvertToRegistry(const CBstr& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer, DWORD& cbSize) const override;
};
