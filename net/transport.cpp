#include "net/transport.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "net/exchangebounds.h"
#include "net/exchangejob.h"
#include "net/servicehost.h"

namespace {

constexpr char kUserAgent[] = "QuillbayConsole";
constexpr char kCommandPath[] = "/scripts/orvexconsole/command.php";
constexpr char kContentTypeHeader[] = "Content-Type: application/x-www-form-urlencoded";
constexpr DWORD kChunkSize = 1024;

// The answer as it grows; the buffer doubles, so reading stays linear in the
// answer's size.
class CAnswerText {
public:
    // False when memory runs out.
    bool Append(const char* pch, size_t cb)
    {
        if (cb >= SIZE_MAX - m_cb || !Reserve(m_cb + cb + 1)) {
            return false;
        }
        std::memcpy(m_pszText.get() + m_cb, pch, cb);
        m_cb += cb;
        m_pszText.get()[m_cb] = '\0';
        return true;
    }

    CommandResponse Release() noexcept { return CommandResponse(std::move(m_pszText), m_cb); }

private:
    bool Reserve(size_t cbNeeded)
    {
        if (cbNeeded <= m_cbCapacity) {
            return true;
        }
        size_t cbCapacity = m_cbCapacity ? m_cbCapacity : kChunkSize + 1;
        while (cbCapacity < cbNeeded) {
            if (cbCapacity > SIZE_MAX / 2) {
                return false;
            }
            cbCapacity *= 2;
        }
        void* pGrown = std::realloc(m_pszText.get(), cbCapacity);
        if (!pGrown) {
            return false;
        }
        m_pszText.release();
        m_pszText.reset(static_cast<char*>(pGrown));
        m_cbCapacity = cbCapacity;
        return true;
    }

    CHeapPtr<char> m_pszText;
    size_t m_cb = 0;
    size_t m_cbCapacity = 0;
};

bool DialUp(CInternetApi& api, bool bAllowDial, bool bUnattended)
{
    if (bUnattended) {
        return api.InternetAutodial(INTERNET_AUTODIAL_FORCE_ONLINE | INTERNET_AUTODIAL_FORCE_UNATTENDED, nullptr) !=
               FALSE;
    }
    if (bAllowDial) {
        return api.InternetAutodial(INTERNET_AUTODIAL_FORCE_ONLINE, nullptr) != FALSE;
    }
    return false;
}

bool IsOnline(CInternetApi& api)
{
    DWORD dwConnectionFlags = 0;
    return api.InternetGetConnectedState(&dwConnectionFlags, 0) != FALSE;
}

// A service that holds the line would otherwise keep the member's window
// frozen for as long as it likes. Set on the session, the timeouts reach every
// request on Windows; Wine hands only the connect timeout down, so the request
// gets them too.
void BoundEveryWait(CInternetApi& api, HINTERNET hInternet)
{
    DWORD dwTimeoutMs = CExchangeBounds::TimeoutMs();
    for (DWORD dwOption : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        api.InternetSetOptionA(hInternet, dwOption, &dwTimeoutMs, sizeof(dwTimeoutMs));
    }
}

// Redirects are not followed (the body holds the member's credentials and a
// redirect may name another host), so a redirect is no answer.
bool IsRedirect(CInternetApi& api, HINTERNET hRequest)
{
    DWORD dwStatus = 0;
    DWORD cbStatus = sizeof(dwStatus);
    if (!api.HttpQueryInfoA(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &cbStatus,
                            nullptr)) {
        return false;
    }
    return dwStatus >= 300 && dwStatus < 400;
}

bool SendRequest(HINTERNET hRequest, const std::string& body)
{
    return InternetApi().HttpSendRequestA(hRequest, kContentTypeHeader, sizeof(kContentTypeHeader) - 1,
                                          const_cast<char*>(body.c_str()), static_cast<DWORD>(body.size())) != FALSE;
}

// Reads until the library reports the end; a redirect is no answer. A failed
// availability query counts as a failed read: stopping there would pass a
// truncated answer off as whole. So does passing the deadline: a service that
// drips its answer byte by byte defeats any timeout on a single read. A NUL
// byte ends the text of its chunk; later chunks are appended after it.
CommandResponse ReadAnswer(HINTERNET hRequest, ULONGLONG ullDeadline, bool& bOk)
{
    CInternetApi& api = InternetApi();
    if (IsRedirect(api, hRequest)) {
        return {};
    }
    CAnswerText text;
    char cPartResult[kChunkSize];
    for (;;) {
        if (api.TickCount() >= ullDeadline) {
            return {};
        }
        DWORD dwBytesAvailable = 0;
        if (!api.InternetQueryDataAvailable(hRequest, &dwBytesAvailable, 0, 0)) {
            return {};
        }
        DWORD dwBytesToRead = dwBytesAvailable < kChunkSize ? dwBytesAvailable : kChunkSize;
        DWORD dwBytesRead = 0;
        if (!api.InternetReadFile(hRequest, cPartResult, dwBytesToRead, &dwBytesRead) ||
            dwBytesRead > dwBytesToRead) {
            return {};
        }
        if (dwBytesRead == 0) {
            break;
        }
        const void* pNul = std::memchr(cPartResult, '\0', dwBytesRead);
        size_t cbText = pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - cPartResult) : dwBytesRead;
        if (!text.Append(cPartResult, cbText)) {
            return {};
        }
    }
    bOk = true;
    return text.Release();
}

}  // namespace

CInternetHandle OpenInternetSession(bool bAllowDial, bool bUnattended, CBstr& bstrErrorMessage)
{
    CInternetApi& api = InternetApi();
    if (!IsOnline(api) && !DialUp(api, bAllowDial, bUnattended)) {
        bstrErrorMessage = CBstr(L"Quillbay could not connect to the internet.");
        return {};
    }
    CInternetHandle hSession(api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!hSession) {
        hSession.Reset(api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    }
    if (!hSession) {
        bstrErrorMessage = CBstr(L"Quillbay Could not connect to the internet (session NULL).");
        return hSession;
    }
    BoundEveryWait(api, hSession.Get());
    return hSession;
}

CommandResponse SendCommand(HINTERNET hSession, FormFields& request, bool& bOk)
{
    CBstr bstrBody;
    request.BuildRequest(bstrBody);
    std::string body = bstrBody.ToAnsi();
    return PostCommand(hSession, body.c_str(), bOk);
}

CommandResponse PostCommand(HINTERNET hSession, const char* pszBody, bool& bOk)
{
    bOk = false;
    if (!hSession) {
        return {};
    }
    CInternetApi& api = InternetApi();
    CInternetHandle hConnect(api.InternetConnectA(hSession, kServiceHost, INTERNET_DEFAULT_HTTPS_PORT, nullptr,
                                                  nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!hConnect) {
        return {};
    }
    // TLS with the library's full certificate checks. Never add a flag that
    // ignores certificate errors (INTERNET_FLAG_IGNORE_CERT_*, SECURITY_FLAG_IGNORE_*).
    CInternetHandle hRequest(api.HttpOpenRequestA(hConnect.Get(), "POST", kCommandPath, nullptr, nullptr, nullptr,
                                                  INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT, 0));
    if (!hRequest) {
        return {};
    }
    BoundEveryWait(api, hRequest.Get());
    return CExchangeJob::Run(hRequest, pszBody ? pszBody : "", SendRequest, ReadAnswer,
                             CExchangeBounds::AnswerDeadlineMs(), bOk);
}
