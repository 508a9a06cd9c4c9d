#pragma once

#include <windows.h>

#include <atomic>

#include "base/handles.h"

// The process: its lock count, the shutdown watch, the session thread
// and the component registration of the executable.
class CConsoleModule {
public:
    static constexpr DWORD kQuietPeriodMs = 5000;
    // At the end of the logon session: how long the session thread may take
    // to close what it has open before the process ends regardless.
    static constexpr DWORD kLogonEndGraceMs = 1000;

    HRESULT Init(HINSTANCE hInstance);
    void Term();

    LONG Lock();
    LONG Unlock();

    bool StartShutdownWatch();
    bool StartSessionThread();

    // Windows is ending the logon session: on the session thread, once its
    // windows were told to end. The main thread quits at once, without the
    // quiet period; Windows ends the process soon anyway.
    void EndWithLogon();
    bool IsEndingWithLogon() const { return m_bEndingWithLogon; }
    // On the main thread, after it quit at the logon end: waits a little for
    // the session thread, then ends the process without any teardown.
    [[noreturn]] void EndProcessAtLogonEnd();

    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    HINSTANCE GetInstance() const { return m_hInstance; }
    void SetMainThreadId(DWORD dwThreadId) { m_dwMainThreadId = dwThreadId; }

private:
    static DWORD WINAPI WatchShutdown(LPVOID pModule);
    static DWORD WINAPI RunSessionThread(LPVOID pModule);
    void SignalMemberSessionEnd();
    HRESULT RunRegistrationScript(bool bRegister) const;

    volatile LONG m_nLockCount = 0;
    DWORD m_dwMainThreadId = 0;
    CKernelHandle m_hShutdownEvent;
    CKernelHandle m_hSessionThread;
    std::atomic<bool> m_bEndingWithLogon{false};
    std::atomic<bool> m_bActivity{false};
    HINSTANCE m_hInstance = nullptr;
    GUID m_libid = GUID_NULL;
};

extern CConsoleModule g_module;
