#include "net/internetapi.h"

#include "base/systemlibrary.h"

namespace {

CInternetApi g_realInternetApi;
CInternetApi* g_pInternetApi = &g_realInternetApi;

// wininet.dll is no KnownDLL: imported, it would be looked for beside the
// program before anything could restrict the search. So it is loaded from
// System32 at the first call, and every call goes through its address.
HMODULE WinInetModule()
{
    static const HMODULE hWinInet = LoadSystemLibrary(L"wininet.dll");
    return hWinInet;
}

template <class Function>
Function WinInet(const char* pszName)
{
    return SystemFunction<Function>(WinInetModule(), pszName);
}

// A library function with the header's type, for a static at its call.
#define WININET_FUNCTION(name) WinInet<decltype(&::name)>(#name)

// What a call returns when the library could not be loaded.
template <class Result>
Result Missing(Result failed)
{
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return failed;
}

}  // namespace

CInternetApi& InternetApi() { return *g_pInternetApi; }

CInternetApi* SetInternetApi(CInternetApi* pApi)
{
    CInternetApi* pPrevious = g_pInternetApi;
    g_pInternetApi = pApi ? pApi : &g_realInternetApi;
    return pPrevious;
}

BOOL CInternetApi::InternetGetConnectedState(LPDWORD pdwFlags, DWORD dwReserved)
{
    static const auto pfn = WININET_FUNCTION(InternetGetConnectedState);
    return pfn ? pfn(pdwFlags, dwReserved) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetAutodial(DWORD dwFlags, HWND hwndParent)
{
    static const auto pfn = WININET_FUNCTION(InternetAutodial);
    return pfn ? pfn(dwFlags, hwndParent) : Missing<BOOL>(FALSE);
}

HINTERNET CInternetApi::InternetOpenA(LPCSTR pszAgent, DWORD dwAccessType, LPCSTR pszProxy, LPCSTR pszProxyBypass,
                                      DWORD dwFlags)
{
    static const auto pfn = WININET_FUNCTION(InternetOpenA);
    return pfn ? pfn(pszAgent, dwAccessType, pszProxy, pszProxyBypass, dwFlags) : Missing<HINTERNET>(nullptr);
}

HINTERNET CInternetApi::InternetConnectA(HINTERNET hSession, LPCSTR pszServerName, INTERNET_PORT nServerPort,
                                         LPCSTR pszUserName, LPCSTR pszPassword, DWORD dwService, DWORD dwFlags,
                                         DWORD_PTR dwContext)
{
    static const auto pfn = WININET_FUNCTION(InternetConnectA);
    return pfn ? pfn(hSession, pszServerName, nServerPort, pszUserName, pszPassword, dwService, dwFlags, dwContext)
               : Missing<HINTERNET>(nullptr);
}

HINTERNET CInternetApi::HttpOpenRequestA(HINTERNET hConnect, LPCSTR pszVerb, LPCSTR pszObjectName,
                                         LPCSTR pszVersion, LPCSTR pszReferrer, LPCSTR* ppszAcceptTypes,
                                         DWORD dwFlags, DWORD_PTR dwContext)
{
    static const auto pfn = WININET_FUNCTION(HttpOpenRequestA);
    return pfn ? pfn(hConnect, pszVerb, pszObjectName, pszVersion, pszReferrer, ppszAcceptTypes, dwFlags, dwContext)
               : Missing<HINTERNET>(nullptr);
}

BOOL CInternetApi::HttpSendRequestA(HINTERNET hRequest, LPCSTR pszHeaders, DWORD dwHeadersLength, LPVOID pOptional,
                                    DWORD dwOptionalLength)
{
    static const auto pfn = WININET_FUNCTION(HttpSendRequestA);
    return pfn ? pfn(hRequest, pszHeaders, dwHeadersLength, pOptional, dwOptionalLength) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetQueryDataAvailable(HINTERNET hFile, LPDWORD pdwBytesAvailable, DWORD dwFlags,
                                              DWORD_PTR dwContext)
{
    static const auto pfn = WININET_FUNCTION(InternetQueryDataAvailable);
    return pfn ? pfn(hFile, pdwBytesAvailable, dwFlags, dwContext) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetReadFile(HINTERNET hFile, LPVOID pBuffer, DWORD dwBytesToRead, LPDWORD pdwBytesRead)
{
    static const auto pfn = WININET_FUNCTION(InternetReadFile);
    return pfn ? pfn(hFile, pBuffer, dwBytesToRead, pdwBytesRead) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetCloseHandle(HINTERNET hInternet)
{
    static const auto pfn = WININET_FUNCTION(InternetCloseHandle);
    return pfn ? pfn(hInternet) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetSetOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, DWORD cbBuffer)
{
    static const auto pfn = WININET_FUNCTION(InternetSetOptionA);
    return pfn ? pfn(hInternet, dwOption, pBuffer, cbBuffer) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID pBuffer, LPDWORD pcbBuffer,
                                  LPDWORD pdwIndex)
{
    static const auto pfn = WININET_FUNCTION(HttpQueryInfoA);
    return pfn ? pfn(hRequest, dwInfoLevel, pBuffer, pcbBuffer, pdwIndex) : Missing<BOOL>(FALSE);
}

BOOL CInternetApi::InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, LPDWORD pcbBuffer)
{
    static const auto pfn = WININET_FUNCTION(InternetQueryOptionA);
    return pfn ? pfn(hInternet, dwOption, pBuffer, pcbBuffer) : Missing<BOOL>(FALSE);
}

INTERNET_STATUS_CALLBACK CInternetApi::InternetSetStatusCallbackA(HINTERNET hInternet,
                                                                  INTERNET_STATUS_CALLBACK pfnCallback)
{
    static const auto pfn = WININET_FUNCTION(InternetSetStatusCallbackA);
    return pfn ? pfn(hInternet, pfnCallback) : Missing(INTERNET_INVALID_STATUS_CALLBACK);
}

ULONGLONG CInternetApi::TickCount() { return ::GetTickCount64(); }
