#include "registryprobe.h"

#include "base/handles.h"

namespace registry {

bool KeyExists(HKEY hRoot, const std::wstring& path, REGSAM view)
{
    CRegKey key;
    return ::RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ | view, key.Receive()) == ERROR_SUCCESS;
}

std::wstring StringValue(HKEY hRoot, const std::wstring& path, const wchar_t* name, REGSAM view)
{
    wchar_t value[512] = {};
    DWORD cb = sizeof(value) - sizeof(wchar_t);
    CRegKey key;
    if (::RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS ||
        ::RegGetValueW(key.Get(), nullptr, name, RRF_RT_REG_SZ, nullptr, value, &cb) != ERROR_SUCCESS) {
        return L"<absent>";
    }
    return value;
}

std::vector<std::wstring> SubkeyNames(HKEY hRoot, const std::wstring& path, REGSAM view)
{
    std::vector<std::wstring> names;
    CRegKey key;
    if (::RegOpenKeyExW(hRoot, path.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 256;
        if (::RegEnumKeyExW(key.Get(), i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, cch);
    }
}

}  // namespace registry
