#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Reads the registry as the tests see it, without the program's own store.
// The view (KEY_WOW64_32KEY, KEY_WOW64_64KEY) is the one a program of that
// width sees; 0 is the test's own.
namespace registry {
bool KeyExists(HKEY hRoot, const std::wstring& path, REGSAM view = 0);
// The string value, or "<absent>" when the key or the value is missing.
std::wstring StringValue(HKEY hRoot, const std::wstring& path, const wchar_t* name, REGSAM view = 0);
std::vector<std::wstring> SubkeyNames(HKEY hRoot, const std::wstring& path, REGSAM view = 0);
}  // namespace registry
