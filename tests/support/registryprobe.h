#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Reads the registry as the tests see it, without the program's own store.
namespace registry {
bool KeyExists(HKEY hRoot, const std::wstring& path);
// The string value, or "<absent>" when the key or the value is missing. The view
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY) picks a side of the 64-bit registry.
std::wstring StringValue(HKEY hRoot, const std::wstring& path, const wchar_t* name, REGSAM view = 0);
std::vector<std::wstring> SubkeyNames(HKEY hRoot, const std::wstring& path, REGSAM view = 0);
}  // namespace registry
