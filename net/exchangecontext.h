#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

// What one request shares with the library's status callback in asynchronous
// mode. The library may call back, and write into the buffers below, after
// the exchange has given up on the request, until it reports the request's
// handle closing. So the context lives on the heap with two references, the
// exchange's and the library's, which the callback drops at HANDLE_CLOSING;
// the last one to let go frees it. It holds no kernel handle, so a context the
// library never lets go of costs memory only.
class CExchangeContext {
public:
    static constexpr DWORD kChunkSize = 1024;

    // Both references taken; null when memory runs out. The library reads the
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
    // library clock, without pumping messages; false when the deadline came first.
    bool WaitForCompletion(ULONGLONG ullDeadline, INTERNET_ASYNC_RESULT& result);
    // The library reported the request wholly sent.
    bool WasRequestSent();

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

    void AddRef();
    void Complete(const INTERNET_ASYNC_RESULT& result);
    void NoteRequestSent();

    std::string m_body;
    LONG m_nRefs = 2;
    LONG m_bLibraryHolds = TRUE;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_completed = CONDITION_VARIABLE_INIT;
    bool m_bCompleted = false;
    bool m_bRequestSent = false;
    INTERNET_ASYNC_RESULT m_result = {};
};
