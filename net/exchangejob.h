#pragma once

#include <windows.h>

#include <string>

#include "net/commandresponse.h"
#include "net/internethandle.h"

// Sends one request and reads its answer on a worker thread, so that the
// caller can stop waiting at the answer deadline even where the library's own
// timeouts do not reach: a TLS handshake the service never answers, a header
// block dripped byte by byte. The caller still waits without a message loop,
// as it would inside the library. At the deadline it closes the request, which
// aborts the call where the library supports that, and leaves the worker
// behind; the job owns everything the worker still touches.
class CExchangeJob {
public:
    // True when the request went out and its answer may be read.
    using SendFn = bool (*)(HINTERNET hRequest, const std::string& body);
    // Reads the whole answer; bOk tells whether it came to its end in time.
    using ReadFn = CommandResponse (*)(HINTERNET hRequest, ULONGLONG ullDeadline, bool& bOk);

    // Runs send and read for hRequest and returns the answer. The deadline
    // starts now, on the library's clock; a send still going when it passes
    // fails the exchange and closes hRequest.
    static CommandResponse Run(CInternetHandle& hRequest, std::string body, SendFn pfnSend, ReadFn pfnRead,
                               DWORD dwDeadlineMs, bool& bOk);

    CExchangeJob(const CExchangeJob&) = delete;
    CExchangeJob& operator=(const CExchangeJob&) = delete;

private:
    CExchangeJob(HINTERNET hRequest, std::string body, SendFn pfnSend, ReadFn pfnRead, ULONGLONG ullDeadline);

    static DWORD WINAPI RunWorker(void* pJob);
    void Work();
    bool IsAbandoned();
    bool FinishSending();
    bool AbandonIfSending(CInternetHandle& hRequest);
    void Release();

    const HINTERNET m_hRequest;
    const std::string m_body;
    const SendFn m_pfnSend;
    const ReadFn m_pfnRead;
    const ULONGLONG m_ullDeadline;

    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_bSending = true;
    bool m_bAbandoned = false;
    LONG m_nRefs = 1;

    CommandResponse m_response;
    bool m_bOk = false;
};
