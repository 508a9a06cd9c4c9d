#include "net/transport.h"

#include <cstring>
#include <optional>
#include <string>

#include "net/answertext.h"
#include "net/asyncrequest.h"
#include "net/exchangebounds.h"
#include "net/servicehost.h"

namespace {

constexpr char kUserAgent[] = "QuillbayConsole";
constexpr char kCommandPath[] = "/scripts/orvexconsole/command.php";
constexpr char kContentTypeHeader[] = "Content-Type: application/x-www-form-urlencoded";
// Larger announced lengths are not taken on trust: the block then grows as the answer arrives.
constexpr unsigned long long kMaxReservation = 256ull * 1024 * 1024;

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

// A service that holds the line would otherwise keep a library thread for as
// long as it likes. Set on the session, the timeouts reach every request on
// Windows; Wine hands only the connect timeout down, so the request gets them too.
void BoundEveryWait(CInternetApi& api, HINTERNET hInternet)
{
    DWORD dwTimeoutMs = CExchangeBounds::TimeoutMs();
    for (DWORD dwOption : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                           INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        api.InternetSetOptionA(hInternet, dwOption, &dwTimeoutMs, sizeof(dwTimeoutMs));
    }
}

// The answer's status, or 0 when it came without a status line.
DWORD AnswerStatus(CInternetApi& api, HINTERNET hRequest)
{
    DWORD dwFlags = 0;
    DWORD cbFlags = sizeof(dwFlags);
    if (api.InternetQueryOptionA(hRequest, INTERNET_OPTION_REQUEST_FLAGS, &dwFlags, &cbFlags) &&
        (dwFlags & INTERNET_REQFLAG_NO_HEADERS)) {
        return 0;
    }
    DWORD dwStatus = 0;
    DWORD cbStatus = sizeof(dwStatus);
    if (!api.HttpQueryInfoA(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &cbStatus,
                            nullptr) ||
        dwStatus < 100 || dwStatus > 599) {
        return 0;
    }
    return dwStatus;
}

// The body length the answer announced, when it announced one that reads as a number.
std::optional<unsigned long long> AnnouncedLength(CInternetApi& api, HINTERNET hRequest)
{
    char szLength[24] = {};
    DWORD cbLength = sizeof(szLength) - 1;
    if (!api.HttpQueryInfoA(hRequest, HTTP_QUERY_CONTENT_LENGTH, szLength, &cbLength, nullptr) || cbLength == 0 ||
        cbLength > 19) {
        return std::nullopt;
    }
    unsigned long long cb = 0;
    for (DWORD i = 0; i < cbLength; ++i) {
        if (szLength[i] < '0' || szLength[i] > '9') {
            return std::nullopt;
        }
        cb = cb * 10 + static_cast<unsigned long long>(szLength[i] - '0');
    }
    return cb;
}

// Reads until the library reports the end. A failed query or read, or the
// deadline, fails the answer: what arrived may be a part. So does a body
// shorter than it announced, which the library ends like a whole one. A NUL
// byte ends the text of its chunk; later chunks are appended after it.
bool ReadAnswer(CAsyncRequest& request, CAnswerText& text)
{
    // Where the announced block cannot be had at once, it grows as the bytes come.
    std::optional<unsigned long long> cbAnnounced = AnnouncedLength(InternetApi(), request.Handle());
    if (cbAnnounced && *cbAnnounced <= kMaxReservation) {
        text.Reserve(static_cast<size_t>(*cbAnnounced));
    }
    unsigned long long cbReceived = 0;
    for (;;) {
        DWORD dwBytesAvailable = 0;
        DWORD dwBytesRead = 0;
        if (!request.QueryDataAvailable(dwBytesAvailable) ||
            !request.Read(dwBytesAvailable < CExchangeContext::kChunkSize ? dwBytesAvailable
                                                                            : CExchangeContext::kChunkSize,
                          dwBytesRead)) {
            return false;
        }
        if (dwBytesRead == 0) {
            break;
        }
        cbReceived += dwBytesRead;
        const char* cPartResult = request.Data();
        const void* pNul = std::memchr(cPartResult, '\0', dwBytesRead);
        size_t cbText = pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - cPartResult) : dwBytesRead;
        if (!text.Append(cPartResult, cbText)) {
            return false;
        }
    }
    return !cbAnnounced || cbReceived >= *cbAnnounced;
}

// Sends the request and reads the whole answer. Redirects are not followed
// (the body holds the member's credentials and a redirect may name another
// host), so a redirect is no answer, though the service had the request.
CommandResponse Exchange(CAsyncRequest& request, ExchangeReport& report)
{
    if (!request.Send(kContentTypeHeader, sizeof(kContentTypeHeader) - 1)) {
        report.end = request.MayHaveLeft() ? ExchangeEnd::NoAnswer : ExchangeEnd::Failed;
        return {};
    }
    report.end = ExchangeEnd::NoAnswer;
    DWORD dwStatus = AnswerStatus(InternetApi(), request.Handle());
    if (dwStatus == 0 || (dwStatus >= 300 && dwStatus < 400)) {
        return {};
    }
    CAnswerText text;
    if (!ReadAnswer(request, text)) {
        return {};
    }
    report.end = ExchangeEnd::Answered;
    report.dwStatus = dwStatus;
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
    CInternetHandle hSession(
        api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    if (!hSession) {
        hSession.Reset(api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    }
    // Without its callback an asynchronous session would never report a completion.
    if (hSession && api.InternetSetStatusCallbackA(hSession.Get(), CExchangeContext::OnStatus) ==
                        INTERNET_INVALID_STATUS_CALLBACK) {
        hSession.Reset();
    }
    if (!hSession) {
        bstrErrorMessage = CBstr(L"Quillbay Could not connect to the internet (session NULL).");
        return hSession;
    }
    BoundEveryWait(api, hSession.Get());
    return hSession;
}

CommandResponse SendCommand(HINTERNET hSession, FormFields& request, ExchangeReport& report)
{
    CBstr bstrBody;
    request.BuildRequest(bstrBody);
    std::string body = bstrBody.ToAnsi();
    CommandResponse response = PostCommand(hSession, body.c_str(), report);
    ::SecureZeroMemory(&body[0], body.size());
    return response;
}

CommandResponse PostCommand(HINTERNET hSession, const char* pszBody, ExchangeReport& report)
{
    report = {};
    if (!hSession || CExchangeContext::Alive() >= kMaxRequestsHeldByTheLibrary) {
        return {};
    }
    CInternetApi& api = InternetApi();
    const ULONGLONG ullDeadline = api.TickCount() + CExchangeBounds::AnswerDeadlineMs();
    CInternetHandle hConnect(api.InternetConnectA(hSession, kServiceHost, INTERNET_DEFAULT_HTTPS_PORT, nullptr,
                                                  nullptr, INTERNET_SERVICE_HTTP, 0,
                                                  CExchangeContext::kConnectionContext));
    if (!hConnect) {
        return {};
    }
    // TLS with the library's full certificate checks. Never add a flag that
    // ignores certificate errors (INTERNET_FLAG_IGNORE_CERT_*, SECURITY_FLAG_IGNORE_*).
    CAsyncRequest request(ullDeadline);
    if (!request.Open(hConnect.Get(), kCommandPath, INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT,
                      pszBody ? pszBody : "")) {
        return {};
    }
    BoundEveryWait(api, request.Handle());
    return Exchange(request, report);
}

CommandResponse SendCommand(HINTERNET hSession, FormFields& request, bool& bOk)
{
    ExchangeReport report;
    CommandResponse response = SendCommand(hSession, request, report);
    bOk = report.end == ExchangeEnd::Answered;
    return response;
}

CommandResponse PostCommand(HINTERNET hSession, const char* pszBody, bool& bOk)
{
    ExchangeReport report;
    CommandResponse response = PostCommand(hSession, pszBody, report);
    bOk = report.end == ExchangeEnd::Answered;
    return response;
}
