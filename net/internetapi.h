#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/handles.h"

// The WinINet calls the transport makes, behind one narrow interface so that
// tests can stand in for the network. The product always uses the real calls.
class CInternetApi {
public:
    virtual ~CInternetApi() = default;

    virtual BOOL InternetGetConnectedState(LPDWORD pdwFlags, DWORD dwReserved);
    virtual BOOL InternetAutodial(DWORD dwFlags, HWND hwndParent);
    virtual HINTERNET InternetOpenA(LPCSTR pszAgent, DWORD dwAccessType, LPCSTR pszProxy, LPCSTR pszProxyBypass,
                                    DWORD dwFlags);
    virtual HINTERNET InternetConnectA(HINTERNET hSession, LPCSTR pszServerName, INTERNET_PORT nServerPort,
                                       LPCSTR pszUserName, LPCSTR pszPassword, DWORD dwService, DWORD dwFlags,
                                       DWORD_PTR dwContext);
    virtual HINTERNET HttpOpenRequestA(HINTERNET hConnect, LPCSTR pszVerb, LPCSTR pszObjectName, LPCSTR pszVersion,
                                       LPCSTR pszReferrer, LPCSTR* ppszAcceptTypes, DWORD dwFlags,
                                       DWORD_PTR dwContext);
    virtual BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR pszHeaders, DWORD dwHeadersLength, LPVOID pOptional,
                                  DWORD dwOptionalLength);
    virtual BOOL InternetQueryDataAvailable(HINTERNET hFile, LPDWORD pdwBytesAvailable, DWORD dwFlags,
                                            DWORD_PTR dwContext);
    virtual BOOL InternetReadFile(HINTERNET hFile, LPVOID pBuffer, DWORD dwBytesToRead, LPDWORD pdwBytesRead);
    virtual BOOL InternetCloseHandle(HINTERNET hInternet);
    virtual BOOL InternetSetOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, DWORD cbBuffer);
    virtual BOOL HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID pBuffer, LPDWORD pcbBuffer,
                                LPDWORD pdwIndex);
    virtual BOOL InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, LPDWORD pcbBuffer);
    virtual INTERNET_STATUS_CALLBACK InternetSetStatusCallbackA(HINTERNET hInternet,
                                                                INTERNET_STATUS_CALLBACK pfnCallback);
    // Milliseconds since an arbitrary start; the clock behind the answer deadline.
    virtual ULONGLONG TickCount();
};

// The implementation in use: the real calls unless a test installed another.
CInternetApi& InternetApi();

// For tests: installs pApi (not owned; null restores the real calls) and
// returns the one it replaces. Not thread-safe: install before any exchange.
CInternetApi* SetInternetApi(CInternetApi* pApi);

// Installs a replacement for the lifetime of the object.
class CScopedInternetApi {
public:
    explicit CScopedInternetApi(CInternetApi& api) : m_pPrevious(SetInternetApi(&api)) {}
    ~CScopedInternetApi() { SetInternetApi(m_pPrevious); }
    CScopedInternetApi(const CScopedInternetApi&) = delete;
    CScopedInternetApi& operator=(const CScopedInternetApi&) = delete;

private:
    CInternetApi* m_pPrevious;
};

// Closed through the installed CInternetApi, so a test's stand-in handles
// never reach the real library.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { InternetApi().InternetCloseHandle(h); }
};

// Owns an internet session, connection or request handle.
using CInternetHandle = CHandleOwner<InternetHandleTraits>;
