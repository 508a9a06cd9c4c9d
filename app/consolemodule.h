#pragma once

#include <windows.h>

#include <atomic>

#include "base/handles.h"

// The process: its lock count, the end-of-session watch, the session thread
// and the component registration of the executable.
class CConsoleModule {
public:
    static constexpr DWORD kQuietPeriodMs = 5000;

    HRESULT Init(HINSTANCE hInstance);
    void Term();

    LONG Lock();
    LONG Unlock();

    bool StartShutdownWatch();
    bool StartSessionThread();

    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    HINSTANCE GetInstance() const { return m_hInstance; }
    void SetMainThreadId(DWORD dwThreadId) { m_dwMainThreadId = dwThreadId; }

private:
    static DWORD WINAPI WatchShutdown(LPVOID pModule);
    static DWORD WINAPI RunSessionThread(LPVOID pModule);
    void SignalSessionEnd();
    HRESULT RunRegistrationScript(bool bRegister) const;

    volatile LONG m_nLockCount = 0;
    DWORD m_dwMainThreadId = 0;
    CKernelHandle m_hShutdownEvent;
    std::atomic<bool> m_bActivity{false};
    HINSTANCE m_hInstance = nullptr;
    GUID m_libid = GUID_NULL;
};

extern CConsoleModule g_module;
