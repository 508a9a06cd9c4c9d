#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Reads the registry as the tests see it, without the program's own store.
namespace registry {
bool KeyExists(HKEY hRoot, const std::wstring& path);
// The string value, or "<absent>" when the key or the value is missing.
std::wstring StringValue(HKEY hRoot, const std::wstring& path, const wchar_t* name);
std::vector<std::wstring> SubkeyNames(HKEY hRoot, const std::wstring& path);
}  // namespace registry
