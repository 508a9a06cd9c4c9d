#include "base/systemlibrary.h"

#include <string>

bool RestrictDllSearchToSystem32()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto pfnSetDefaultDllDirectories = SystemFunction<SetDefaultDllDirectoriesFn>(
        ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (pfnSetDefaultDllDirectories && pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return true;
    }
    ::SetDllDirectoryW(L"");
    return false;
}

HMODULE LoadSystemLibrary(LPCWSTR pszName)
{
    HMODULE hModule = ::LoadLibraryExW(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (hModule || ::GetLastError() != ERROR_INVALID_PARAMETER) {
        return hModule;
    }
    // Windows 7 without KB2533623 knows no search flags: the full path, whose
    // folder is then searched first for the DLL's own imports.
    wchar_t szSystem[MAX_PATH] = {};
    const UINT cch = ::GetSystemDirectoryW(szSystem, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(szSystem, cch) + L"\\" + pszName;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
