#pragma once

#include <windows.h>

#include "base/handles.h"

// One typed registry value: root key, sub-key path and value name, with an
// optional default that stands in when the value cannot be read. Every call
// opens and closes its own key, so nothing stays open between calls.
template <class T>
class CRegValueBase {
public:
    static constexpr int kNameBufferSize = 256;

    CRegValueBase(HKEY hBaseKey, LPCWSTR pszKeyName, LPCWSTR pszValueName)
        : m_hBaseKey(hBaseKey), m_defaultValue()
    {
        m_bNamesFit = CopyName(pszKeyName, m_keyName) && CopyName(pszValueName, m_valueName);
    }

    CRegValueBase(HKEY hBaseKey, LPCWSTR pszKeyName, LPCWSTR pszValueName, const T& defaultValue)
        : CRegValueBase(hBaseKey, pszKeyName, pszValueName)
    {
        m_hasDefault = true;
        m_defaultValue = defaultValue;
    }

    virtual ~CRegValueBase() = default;
    CRegValueBase(const CRegValueBase&) = delete;
    CRegValueBase& operator=(const CRegValueBase&) = delete;

    // The stored value, else the default; value is written only on true.
    bool Get(T& value) const
    {
        if (ReadStored(value)) {
            return true;
        }
        if (m_hasDefault) {
            value = m_defaultValue;
            return true;
        }
        return false;
    }

    // Stores the value, creating the key path; true when the registry took it.
    bool Set(const T& value) const
    {
        if (!m_bNamesFit) {
            return false;
        }
        CRegKey key;
        if (::RegCreateKeyExA(m_hBaseKey, m_keyName, 0, const_cast<LPSTR>(""), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        DWORD dwType = REG_NONE;
        CHeapPtr<BYTE> pBuffer;
        DWORD cbSize = 0;
        if (!ConvertToRegistry(value, dwType, pBuffer, cbSize)) {
            return false;
        }
        return ::RegSetValueExA(key.Get(), m_valueName, 0, dwType, pBuffer.get(), cbSize) == ERROR_SUCCESS;
    }

protected:
    // True when the data has the expected type and form; value is then set.
    virtual bool ConvertFromRegistry(DWORD dwType, const BYTE* pData, DWORD cbSize, T& value) const = 0;
    // A new buffer with the bytes to store; pBuffer is never null on true.
    virtual bool ConvertToRegistry(const T& value, DWORD& dwType, CHeapPtr<BYTE>& pBuffer, DWORD& cbSize) const = 0;

private:
    // A name that does not fit its buffer is refused, never cut short.
    static bool CopyName(LPCWSTR pszName, char (&buffer)[kNameBufferSize])
    {
        buffer[0] = '\0';
        if (!pszName) {
            return false;
        }
        if (::WideCharToMultiByte(CP_THREAD_ACP, 0, pszName, -1, buffer, kNameBufferSize, nullptr, nullptr) > 0) {
            return true;
        }
        buffer[0] = '\0';
        return false;
    }

    bool ReadStored(T& value) const
    {
        if (!m_bNamesFit) {
            return false;
        }
        CRegKey key;
        if (::RegOpenKeyExA(m_hBaseKey, m_keyName, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
            return false;
        }
        DWORD cbSize = 0;
        if (::RegQueryValueExA(key.Get(), m_valueName, nullptr, nullptr, nullptr, &cbSize) != ERROR_SUCCESS) {
            return false;
        }
        // One spare byte, so an empty value still gets a real buffer.
        CHeapPtr<BYTE> pData(static_cast<BYTE*>(std::malloc(cbSize + 1)));
        if (!pData) {
            return false;
        }
        DWORD dwType = REG_NONE;
        LONG lResult = ::RegQueryValueExA(key.Get(), m_valueName, nullptr, &dwType, pData.get(), &cbSize);
        key.Reset();
        return lResult == ERROR_SUCCESS && ConvertFromRegistry(dwType, pData.get(), cbSize, value);
    }

    HKEY m_hBaseKey;
    char m_keyName[kNameBufferSize] = {};
    char m_valueName[kNameBufferSize] = {};
    bool m_hasDefault = false;
    T m_defaultValue;
    bool m_bNamesFit = false;
};
