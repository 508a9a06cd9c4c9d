// Times one console load as a member sees it: from OK in the sign-in dialog to
// the console visible with every row listed, then reads the program's peak
// working set. The program's standard output is closed, the driver's own
// (which the caller points at a file or /dev/null), or a pipe drained here.
// Usage: consoleloadbench closed|inherit|pipe EMAIL PASSWORD ROWS [PROGRAM]
// PROGRAM is another build of orvexapp.exe (the shipped i686 one, say); the
// default is the one beside this driver.
// Prints "RESULT <seconds> <peak working set bytes>" on standard error.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "appdriver.h"
#include "resource.h"

namespace {

constexpr DWORD kLoadTimeoutMs = 900000;

bool ParseMode(const wchar_t* pszMode, CAppDriver::OutputMode& mode)
{
    if (std::wcscmp(pszMode, L"closed") == 0) {
        mode = CAppDriver::OutputMode::None;
    } else if (std::wcscmp(pszMode, L"inherit") == 0) {
        mode = CAppDriver::OutputMode::Inherit;
    } else if (std::wcscmp(pszMode, L"pipe") == 0) {
        mode = CAppDriver::OutputMode::Collect;
    } else {
        return false;
    }
    return true;
}

// The console's list answers only once its thread pumps messages again, that
// is once the load has ended.
bool WaitForRows(CAppDriver& app, LRESULT nRows)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLoadTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline && app.IsRunning()) {
        HWND hConsole = app.FindVisibleWindow(L"Quillbay Console - 1.0");
        DWORD_PTR nCount = 0;
        if (hConsole && ::SendMessageTimeoutW(::GetDlgItem(hConsole, IDC_CONTACTS), LB_GETCOUNT, 0, 0,
                                              SMTO_NORMAL, kLoadTimeoutMs, &nCount) &&
            static_cast<LRESULT>(nCount) == nRows) {
            return true;
        }
        ::Sleep(2);
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    CAppDriver::OutputMode mode;
    if ((argc != 5 && argc != 6) || !ParseMode(argv[1], mode)) {
        std::fputs("usage: consoleloadbench closed|inherit|pipe EMAIL PASSWORD ROWS [PROGRAM]\n", stderr);
        return 2;
    }
    CAppDriver app;
    if (argc == 6) {
        app.UseProgram(argv[5]);
    }
    if (!app.Start(L"", L"", mode)) {
        std::fputs("could not start orvexapp.exe\n", stderr);
        return 1;
    }
    HWND hLogin = app.WaitForWindow(L"Quillbay - 1.0 - Login");
    if (!hLogin) {
        std::fputs("the sign-in dialog did not open\n", stderr);
        app.Terminate();
        return 1;
    }
    ui::TypeText(hLogin, IDC_EMAIL, argv[2]);
    ui::TypeText(hLogin, IDC_PASSWORD, argv[3]);
    const auto start = std::chrono::steady_clock::now();
    ui::Click(hLogin, IDOK);
    const bool bLoaded = WaitForRows(app, std::wcstol(argv[4], nullptr, 10));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(app.Process(), &counters, sizeof(counters));
    app.Terminate();
    if (!bLoaded) {
        std::fputs("the console did not list every row\n", stderr);
        return 1;
    }
    std::fprintf(stderr, "RESULT %.3f %llu\n", seconds, static_cast<unsigned long long>(counters.PeakWorkingSetSize));
    return 0;
}
