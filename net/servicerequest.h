#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "net/commandresponse.h"
#include "net/internetapi.h"

class CRequestContext;

// One POST to the service in the library's asynchronous mode, from open to
// the last byte of the answer, all before one deadline on the library's
// clock. Each call that completes later is waited for modally (WaitModally).
// When the deadline passes with a call pending, the member cancels (the
// cancel event is set), or Windows ends the logon session meanwhile, the
// request is closed (which the library documents as safe once a call
// returned ERROR_IO_PENDING) and no further call is made on it. What the library may still write into lives in
// a context of its own until the library lets go of the request.
class CServiceRequest {
public:
    // The status callback every internet session of the program installs.
    static void CALLBACK OnStatus(HINTERNET hInternet, DWORD_PTR dwContext, DWORD dwStatus, LPVOID pInfo,
                                  DWORD cbInfo);
    // The connection handle's context. Windows calls back for a request only
    // when its connection's context is not zero too; the callback ignores
    // this one, so the connection's HANDLE_CLOSING never touches a request's.
    static constexpr DWORD_PTR kConnectionContext = 1;
    // Requests whose context is not freed yet: in the product, requests given
    // up on that the library still holds.
    static LONG ContextsAlive();
    // The largest answer taken: 64 MiB, six times the details of 100,000
    // contacts. A longer one, or one announcing more, ends the exchange
    // without an answer, and nothing beyond it is held.
    static constexpr size_t kMaxAnswerBytes = 64 * 1024 * 1024;

    // A set hCancel (may be null) counts as the deadline passed.
    CServiceRequest(ULONGLONG ullDeadline, HANDLE hCancel) : m_ullDeadline(ullDeadline), m_hCancel(hCancel) {}
    ~CServiceRequest();
    CServiceRequest(const CServiceRequest&) = delete;
    CServiceRequest& operator=(const CServiceRequest&) = delete;

    // Opens the POST; false when the library or memory refused. The body is
    // kept until the library lets go (it reads it while a send is pending)
    // and wiped then: it carries the member's credentials.
    bool Open(HINTERNET hConnect, LPCSTR pszPath, DWORD dwFlags, std::string body);
    // Null once closed at the deadline.
    HINTERNET Handle() const { return m_hRequest.Get(); }

    // False when the send failed or the deadline passed first.
    bool Send(LPCSTR pszHeaders, DWORD cchHeaders);
    // Reads until the library reports the end. False when a query or read
    // failed, the deadline passed, the body was shorter than it announced
    // (the library ends a cut answer like a whole one): what arrived may be a
    // part; or when it announced or grew beyond the bound. A NUL byte ends the text of its chunk; later chunks are appended
    // after it.
    bool ReadAnswer(CommandResponse& response);

    // After a failed send: whether any of the request may have reached the
    // service. Not when the library refused it before it began sending (the
    // name unresolved, the connection or the certificate refused), nor when
    // the request was given up on before a connection was made.
    bool MayHaveLeft() const;

private:
    ULONGLONG MsLeft() const;
    bool WithinDeadline();
    bool Start();
    bool Finish(BOOL bResult);
    bool AwaitCompletion(INTERNET_ASYNC_RESULT& result);
    bool QueryDataAvailable(DWORD& dwBytesAvailable);
    bool Read(DWORD cbWanted, DWORD& dwBytesRead);
    void GiveUp();

    const ULONGLONG m_ullDeadline;
    const HANDLE m_hCancel;
    CRequestContext* m_pContext = nullptr;
    CInternetHandle m_hRequest;
    bool m_bSendCompleted = false;
    bool m_bGivenUp = false;  // closed at the deadline, when cancelled or at the end of the logon session
};
