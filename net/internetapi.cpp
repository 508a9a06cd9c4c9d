#include "net/internetapi.h"

namespace {

CInternetApi g_realInternetApi;
CInternetApi* g_pInternetApi = &g_realInternetApi;

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
    return ::InternetGetConnectedState(pdwFlags, dwReserved);
}

BOOL CInternetApi::InternetAutodial(DWORD dwFlags, HWND hwndParent) { return ::InternetAutodial(dwFlags, hwndParent); }

HINTERNET CInternetApi::InternetOpenA(LPCSTR pszAgent, DWORD dwAccessType, LPCSTR pszProxy, LPCSTR pszProxyBypass,
                                      DWORD dwFlags)
{
    return ::InternetOpenA(pszAgent, dwAccessType, pszProxy, pszProxyBypass, dwFlags);
}

HINTERNET CInternetApi::InternetConnectA(HINTERNET hSession, LPCSTR pszServerName, INTERNET_PORT nServerPort,
                                         LPCSTR pszUserName, LPCSTR pszPassword, DWORD dwService, DWORD dwFlags,
                                         DWORD_PTR dwContext)
{
    return ::InternetConnectA(hSession, pszServerName, nServerPort, pszUserName, pszPassword, dwService, dwFlags,
                              dwContext);
}

HINTERNET CInternetApi::HttpOpenRequestA(HINTERNET hConnect, LPCSTR pszVerb, LPCSTR pszObjectName,
                                         LPCSTR pszVersion, LPCSTR pszReferrer, LPCSTR* ppszAcceptTypes,
                                         DWORD dwFlags, DWORD_PTR dwContext)
{
    return ::HttpOpenRequestA(hConnect, pszVerb, pszObjectName, pszVersion, pszReferrer, ppszAcceptTypes, dwFlags,
                              dwContext);
}

BOOL CInternetApi::HttpSendRequestA(HINTERNET hRequest, LPCSTR pszHeaders, DWORD dwHeadersLength, LPVOID pOptional,
                                    DWORD dwOptionalLength)
{
    return ::HttpSendRequestA(hRequest, pszHeaders, dwHeadersLength, pOptional, dwOptionalLength);
}

BOOL CInternetApi::InternetQueryDataAvailable(HINTERNET hFile, LPDWORD pdwBytesAvailable, DWORD dwFlags,
                                              DWORD_PTR dwContext)
{
    return ::InternetQueryDataAvailable(hFile, pdwBytesAvailable, dwFlags, dwContext);
}

BOOL CInternetApi::InternetReadFile(HINTERNET hFile, LPVOID pBuffer, DWORD dwBytesToRead, LPDWORD pdwBytesRead)
{
    return ::InternetReadFile(hFile, pBuffer, dwBytesToRead, pdwBytesRead);
}

BOOL CInternetApi::InternetCloseHandle(HINTERNET hInternet) { return ::InternetCloseHandle(hInternet); }

BOOL CInternetApi::InternetSetOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, DWORD cbBuffer)
{
    return ::InternetSetOptionA(hInternet, dwOption, pBuffer, cbBuffer);
}

BOOL CInternetApi::HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID pBuffer, LPDWORD pcbBuffer,
                                  LPDWORD pdwIndex)
{
    return ::HttpQueryInfoA(hRequest, dwInfoLevel, pBuffer, pcbBuffer, pdwIndex);
}

BOOL CInternetApi::InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID pBuffer, LPDWORD pcbBuffer)
{
    return ::InternetQueryOptionA(hInternet, dwOption, pBuffer, pcbBuffer);
}

INTERNET_STATUS_CALLBACK CInternetApi::InternetSetStatusCallbackA(HINTERNET hInternet,
                                                                  INTERNET_STATUS_CALLBACK pfnCallback)
{
    return ::InternetSetStatusCallbackA(hInternet, pfnCallback);
}

ULONGLONG CInternetApi::TickCount() { return ::GetTickCount64(); }
