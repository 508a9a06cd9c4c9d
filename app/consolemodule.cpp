#include "app/consolemodule.h"

#include <oleauto.h>

#include <string>

#include "app/membersession.h"
#include "app/registrationscript.h"
#include "resource.h"

CConsoleModule g_module;

namespace {

// The type library "ORVEXAPPLib" 1.0.
const GUID kTypeLibId = {0x13E7764E, 0x6A1D, 0x415C, {0x91, 0x04, 0x88, 0x70, 0x2F, 0xC9, 0x16, 0x3A}};

std::wstring ModulePath(HINSTANCE hInstance)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD cch = ::GetModuleFileNameW(hInstance, &path[0], static_cast<DWORD>(path.size()));
        if (cch == 0) {
            return std::wstring();
        }
        if (cch < path.size()) {
            path.resize(cch);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

HRESULT CConsoleModule::Init(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    m_libid = kTypeLibId;
    return S_OK;
}

void CConsoleModule::Term() { m_hInstance = nullptr; }

LONG CConsoleModule::Lock() { return ::InterlockedIncrement(&m_nLockCount); }

LONG CConsoleModule::Unlock()
{
    LONG nCount = ::InterlockedDecrement(&m_nLockCount);
    if (nCount == 0) {
        m_bActivity = true;
        ::SetEvent(m_hShutdownEvent.Get());
    }
    return nCount;
}

bool CConsoleModule::StartShutdownWatch()
{
    m_hShutdownEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!m_hShutdownEvent) {
        return false;
    }
    DWORD dwThreadId = 0;
    CKernelHandle hThread(::CreateThread(nullptr, 0, WatchShutdown, this, 0, &dwThreadId));
    if (!hThread) {
        m_hShutdownEvent.Reset();
        return false;
    }
    return true;
}

bool CConsoleModule::StartSessionThread()
{
    DWORD dwThreadId = 0;
    m_hSessionThread.Reset(::CreateThread(nullptr, 0, RunSessionThread, this, 0, &dwThreadId));
    return static_cast<bool>(m_hSessionThread);
}

void CConsoleModule::EndWithLogon()
{
    m_bEndingWithLogon = true;
    ::PostThreadMessageW(m_dwMainThreadId, WM_QUIT, 0, 0);
}

// The session thread closes its exchange and its windows as soon as its
// handler returns, and the placement is stored and WM_ENDSESSION answered by
// then. The process ends here, terminated rather than exited: ExitProcess
// would run the libraries' teardown, which may wait for locks that other
// threads hold (a file dialog's thread, the internet library's workers, the
// watcher on its event), and a session thread that has not finished within
// the grace period would otherwise keep the program alive past the end of
// the logon session.
void CConsoleModule::EndProcessAtLogonEnd()
{
    ::WaitForSingleObject(m_hSessionThread.Get(), kLogonEndGraceMs);
    ::TerminateProcess(::GetCurrentProcess(), 0);
    ::ExitProcess(0);
}

DWORD WINAPI CConsoleModule::WatchShutdown(LPVOID pModule)
{
    CConsoleModule* pThis = static_cast<CConsoleModule*>(pModule);
    HANDLE hEvent = pThis->m_hShutdownEvent.Get();
    for (;;) {
        ::WaitForSingleObject(hEvent, INFINITE);
        // Wait for a full quiet period in which nobody signals again.
        do {
            pThis->m_bActivity = false;
        } while (::WaitForSingleObject(hEvent, kQuietPeriodMs) == WAIT_OBJECT_0);
        if (!pThis->m_bActivity && pThis->m_nLockCount == 0) {
            break;
        }
    }
    pThis->m_hShutdownEvent.Reset();
    ::PostThreadMessageA(pThis->m_dwMainThreadId, WM_QUIT, 0, 0);
    return 0;
}

DWORD WINAPI CConsoleModule::RunSessionThread(LPVOID pModule)
{
    CConsoleModule* pThis = static_cast<CConsoleModule*>(pModule);
    {
        CComApartment apartment(COINIT_MULTITHREADED);
        pThis->Lock();
        RunSession();
    }
    pThis->SignalMemberSessionEnd();
    return 0;
}

void CConsoleModule::SignalMemberSessionEnd()
{
    ::InterlockedDecrement(&m_nLockCount);
    m_bActivity = true;
    ::SetEvent(m_hShutdownEvent.Get());
}

HRESULT CConsoleModule::RunRegistrationScript(bool bRegister) const
{
    std::string text;
    CRegistrationScript script;
    if (!LoadRegistrationScript(m_hInstance, IDR_ORVEXAPP, text) || !script.Parse(text)) {
        return E_FAIL;
    }
    return bRegister ? script.Register() : script.Unregister();
}

HRESULT CConsoleModule::RegisterServer()
{
    RunRegistrationScript(true);  // only the type library's result counts
    std::wstring path = ModulePath(m_hInstance);
    ITypeLib* pTypeLib = nullptr;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, &pTypeLib);
    if (SUCCEEDED(hr)) {
        hr = ::RegisterTypeLib(pTypeLib, &path[0], nullptr);
        pTypeLib->Release();
    }
    return hr;
}

HRESULT CConsoleModule::UnregisterServer()
{
    RunRegistrationScript(false);
    const SYSKIND syskind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    return ::UnRegisterTypeLib(m_libid, 1, 0, LOCALE_NEUTRAL, syskind);
}
