#pragma once

#include <windows.h>

#include <string>

#include "net/exchangecontext.h"
#include "net/internethandle.h"

// One request in the library's asynchronous mode, driven by a thread that
// waits for each call to complete, up to the exchange's deadline, while it
// keeps answering the system. When the deadline passes with a call pending,
// or Windows ends the session meanwhile, it closes the request, which the
// library documents as safe once a call has returned ERROR_IO_PENDING, and
// makes no further call on it. What the library may still use lives in the
// request's CExchangeContext.
class CAsyncRequest {
public:
    explicit CAsyncRequest(ULONGLONG ullDeadline) : m_ullDeadline(ullDeadline) {}
    ~CAsyncRequest();
    CAsyncRequest(const CAsyncRequest&) = delete;
    CAsyncRequest& operator=(const CAsyncRequest&) = delete;

    // Opens the POST with its context; false when the library or memory refused.
    bool Open(HINTERNET hConnect, LPCSTR pszPath, DWORD dwFlags, std::string body);
    // Null once closed at the deadline.
    HINTERNET Handle() const { return m_hRequest.Get(); }

    // Each is false when the call failed or the deadline passed first.
    bool Send(LPCSTR pszHeaders, DWORD cchHeaders);
    bool QueryDataAvailable(DWORD& dwAvailable);
    // At most cbWanted (<= CExchangeContext::kChunkSize) bytes, into Data().
    bool Read(DWORD cbWanted, DWORD& cbRead);
    const char* Data() const { return m_pContext->m_cPartResult; }

    // After a failed send: whether any of the request may have reached the
    // service. Not when the library refused it before it began sending (the
    // name unresolved, the connection or the certificate refused), nor when
    // the request was given up on before a connection was made.
    bool MayHaveLeft() const;

private:
    bool Start(bool bCheckDeadline);
    bool Finish(BOOL bResult);
    void GiveUp();

    const ULONGLONG m_ullDeadline;
    CExchangeContext* m_pContext = nullptr;
    CInternetHandle m_hRequest;
    bool m_bSendCompleted = false;
    bool m_bGivenUp = false;  // closed at the deadline or the end of the session
};
