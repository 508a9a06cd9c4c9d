#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/handles.h"

// What one request shares with the library's status callback in asynchronous
// mode. The library may call back, and write into the buffers below, after
// the exchange has given up on the request, until it reports the request's
// handle closing. So the context lives on the heap with two references, the
// exchange's and the library's, which the callback drops at HANDLE_CLOSING;
// the last one to let go frees it. A context the library never lets go of
// costs its memory and its completion event.
class CExchangeContext {
public:
    static constexpr DWORD kChunkSize = 1024;
    // The connection handle's context. Windows calls back for a request only
    // when its connection's context is not zero too; the callback ignores
    // this one, so the connection's HANDLE_CLOSING never touches a request's.
    static constexpr DWORD_PTR kConnectionContext = 1;

    // How a wait for the pending call ended.
    enum class Wait { Completed, Deadline, SessionEnding };

    // Both references taken; null when memory or the event runs out. The library reads the
    // body while a send is pending, so it is kept here and wiped when freed.
    static CExchangeContext* Create(std::string body);
    // Contexts not yet freed: in the product, requests given up on that the
    // library still holds.
    static LONG Alive();

    // The status callback for handles whose context value is one of these.
    static void CALLBACK OnStatus(HINTERNET hInternet, DWORD_PTR dwContext, DWORD dwStatus, LPVOID pInfo,
                                  DWORD cbInfo);

    DWORD_PTR Value() { return reinterpret_cast<DWORD_PTR>(this); }
    // For the exchange: drops its own reference.
    void Release();
    // Drops the library's reference, once: at HANDLE_CLOSING, or when no
    // request handle was ever made with this context.
    void ReleaseLibraryReference();

    // Clears the completion before a call that may complete later.
    void ExpectCompletion();
    // Waits for the completion of the pending call until ullDeadline on the
    // library clock, answering sent messages and paints meanwhile, so that the
    // thread's windows never count as hung; the member's input stays queued.
    Wait WaitForCompletion(ULONGLONG ullDeadline, INTERNET_ASYNC_RESULT& result);
    // What the library reported of the request's way out.
    bool HasConnected();
    bool HasStartedSending();

    const std::string& Body() const { return m_body; }
    // Filled by the library, perhaps after the call that names them returned.
    DWORD m_dwAvailable = 0;
    DWORD m_dwRead = 0;
    char m_cPartResult[kChunkSize];

    CExchangeContext(const CExchangeContext&) = delete;
    CExchangeContext& operator=(const CExchangeContext&) = delete;

private:
    explicit CExchangeContext(std::string body);
    ~CExchangeContext();

    void Complete(const INTERNET_ASYNC_RESULT& result);
    void NoteStage(bool CExchangeContext::*pbReached);
    bool HasReached(bool CExchangeContext::*pbReached);

    std::string m_body;
    LONG m_nRefs = 2;
    LONG m_bLibraryHolds = TRUE;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CKernelHandle m_hCompleted;  // manual-reset, set by the completion
    bool m_bConnected = false;
    bool m_bSendingStarted = false;
    INTERNET_ASYNC_RESULT m_result = {};
};
