#include <windows.h>
#include <commctrl.h>

#include "app/commandline.h"
#include "app/consolemodule.h"
#include "base/systemlibrary.h"
#include "ui/system/logonend.h"

namespace {

constexpr int kStartFailedExitCode = 1;
constexpr DWORD kFinalPauseMs = 1000;

// On the session thread, once Windows ends the logon session.
void EndWithLogon() { g_module.EndWithLogon(); }

// Runs until the shutdown watcher posts WM_QUIT; the program opens no window
// on this thread.
void RunMessageLoop()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&msg);
    }
}

int Run()
{
    // Without the watcher or the session thread nothing would ever end the
    // process, so give up at once instead of running without a window.
    if (!g_module.StartShutdownWatch()) {
        return kStartFailedExitCode;
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&icc);
    SetLogonEndHandler(EndWithLogon);
    if (!g_module.StartSessionThread()) {
        return kStartFailedExitCode;
    }
    RunMessageLoop();
    if (g_module.IsEndingWithLogon()) {
        g_module.EndProcessAtLogonEnd();
    }
    ::Sleep(kFinalPauseMs);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    // Before anything loads a DLL on the program's behalf.
    RestrictDllSearchToSystem32();
    LPCSTR pszCommandLine = ::GetCommandLineA();
    HRESULT hrCom = ::CoInitialize(nullptr);
    g_module.Init(hInstance);
    g_module.SetMainThreadId(::GetCurrentThreadId());

    int nExitCode = 0;
    switch (ScanRegistrationSwitch(pszCommandLine)) {
    case RegistrationSwitch::Unregister:
        nExitCode = static_cast<int>(g_module.UnregisterServer());
        break;
    case RegistrationSwitch::Register:
        nExitCode = static_cast<int>(g_module.RegisterServer());
        break;
    case RegistrationSwitch::None:
        nExitCode = Run();
        break;
    }

    g_module.Term();
    if (SUCCEEDED(hrCom)) {
        ::CoUninitialize();
    }
    return nExitCode;
}
