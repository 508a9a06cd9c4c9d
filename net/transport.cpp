#include "net/transport.h"

#include <string>

#include "net/exchangebounds.h"
#include "net/servicehost.h"
#include "net/servicerequest.h"

namespace {

constexpr char kUserAgent[] = "QuillbayConsole";
constexpr char kCommandPath[] = "/scripts/orvexconsole/command.php";
constexpr char kContentTypeHeader[] = "Content-Type: application/x-www-form-urlencoded";
// TLS with the library's full certificate checks: never add a flag that
// ignores certificate errors (INTERNET_FLAG_IGNORE_CERT_*, SECURITY_FLAG_IGNORE_*).
// No redirect is followed (the body holds the credentials). Nothing of an
// answer (every contact's name and number) goes into the Internet cache, where
// it would outlive the session, nor comes from it or a proxy's; no cookie is
// kept or sent, no credentials of the library's own are offered, and the
// library shows no window of its own.
constexpr DWORD kRequestFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI;

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
// long as it likes. Set on the internet session, the timeouts reach every request on
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

// Sends the request and reads the whole answer. Redirects are not followed
// (the body holds the member's credentials and a redirect may name another
// host), so a redirect is no answer, though the service had the request.
CommandResponse SendAndReadAnswer(CServiceRequest& request, ExchangeReport& report)
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
    CommandResponse response;
    if (!request.ReadAnswer(response)) {
        return {};
    }
    report.end = ExchangeEnd::Answered;
    report.dwStatus = dwStatus;
    return response;
}

}  // namespace

CInternetHandle OpenInternetSession(bool bAllowDial, bool bUnattended, CBstr& bstrErrorMessage)
{
    CInternetApi& api = InternetApi();
    if (!IsOnline(api) && !DialUp(api, bAllowDial, bUnattended)) {
        bstrErrorMessage = CBstr(L"Quillbay could not connect to the internet.");
        return {};
    }
    CInternetHandle hInternetSession(
        api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    if (!hInternetSession) {
        hInternetSession.Reset(
            api.InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    }
    // Without its callback an asynchronous internet session would never report a completion.
    if (hInternetSession && api.InternetSetStatusCallbackA(hInternetSession.Get(), CServiceRequest::OnStatus) ==
                                INTERNET_INVALID_STATUS_CALLBACK) {
        hInternetSession.Reset();
    }
    if (!hInternetSession) {
        bstrErrorMessage = CBstr(L"Quillbay Could not connect to the internet (session NULL).");
        return hInternetSession;
    }
    BoundEveryWait(api, hInternetSession.Get());
    return hInternetSession;
}

CommandResponse SendCommand(HINTERNET hInternetSession, FormFields& request, ExchangeReport& report,
                            HANDLE hCancel)
{
    CBstr bstrBody;
    request.BuildRequest(bstrBody);
    std::string body = bstrBody.ToAnsi();
    CommandResponse response = PostCommand(hInternetSession, body.c_str(), report, hCancel);
    ::SecureZeroMemory(&body[0], body.size());
    return response;
}

CommandResponse PostCommand(HINTERNET hInternetSession, const char* pszBody, ExchangeReport& report,
                            HANDLE hCancel)
{
    report = {};
    if (!hInternetSession || CServiceRequest::ContextsAlive() >= kMaxRequestsHeldByTheLibrary) {
        return {};
    }
    CInternetApi& api = InternetApi();
    const ULONGLONG ullDeadline = api.TickCount() + CExchangeBounds::AnswerDeadlineMs();
    CInternetHandle hConnect(api.InternetConnectA(hInternetSession, kServiceHost, INTERNET_DEFAULT_HTTPS_PORT,
                                                  nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                                  CServiceRequest::kConnectionContext));
    if (!hConnect) {
        return {};
    }
    CServiceRequest request(ullDeadline, hCancel);
    if (!request.Open(hConnect.Get(), kCommandPath, kRequestFlags, pszBody ? pszBody : "")) {
        return {};
    }
    BoundEveryWait(api, request.Handle());
    return SendAndReadAnswer(request, report);
}

CommandResponse SendCommand(HINTERNET hInternetSession, FormFields& request, bool& bOk)
{
    ExchangeReport report;
    CommandResponse response = SendCommand(hInternetSession, request, report);
    bOk = report.end == ExchangeEnd::Answered;
    return response;
}

CommandResponse PostCommand(HINTERNET hInternetSession, const char* pszBody, bool& bOk)
{
    ExchangeReport report;
    CommandResponse response = PostCommand(hInternetSession, pszBody, report);
    bOk = report.end == ExchangeEnd::Answered;
    return response;
}
