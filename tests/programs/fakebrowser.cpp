// Stands in for the member's browser: appends the command line it was started
// with to the file named by QB_FAKEBROWSER_LOG (or fakebrowser.log beside it).
#include <windows.h>

#include <string>

namespace {

std::wstring LogPath()
{
    wchar_t path[MAX_PATH];
    DWORD cch = ::GetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", path, MAX_PATH);
    if (cch > 0 && cch < MAX_PATH) {
        return path;
    }
    cch = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path, cch);
    return result.substr(0, result.find_last_of(L'\\') + 1) + L"fakebrowser.log";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    std::wstring line = std::wstring(::GetCommandLineW()) + L"\n";
    int cb = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(cb), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], cb, nullptr, nullptr);

    HANDLE hFile = ::CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD cbWritten = 0;
    ::WriteFile(hFile, utf8.data(), static_cast<DWORD>(utf8.size()), &cbWritten, nullptr);
    ::CloseHandle(hFile);
    return 0;
}
