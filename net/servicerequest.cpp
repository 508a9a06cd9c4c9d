#include "net/servicerequest.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#include "base/handles.h"
#include "base/messagewait.h"

namespace {

constexpr DWORD kChunkSize = 1024;
// Waits in slices, so that a far deadline never overflows the wait's DWORD
// and the library's clock is read again at least once a second.
constexpr ULONGLONG kLongestWaitMs = 1000;
constexpr size_t kMaxAnswerBytes = CServiceRequest::kMaxAnswerBytes;

LONG g_nContextsAlive = 0;

class CExclusiveLock {
public:
    explicit CExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~CExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    CExclusiveLock(const CExclusiveLock&) = delete;
    CExclusiveLock& operator=(const CExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

// The answer as it arrives, in one block. When the answer announced its
// length the block is that size from the start; otherwise it doubles, which
// keeps reading linear, and is trimmed to the text once the answer is whole.
// It never holds more than the bound.
class CAnswerText {
public:
    // Room for cb bytes and the terminator, made once. False when memory runs out.
    bool Reserve(size_t cb)
    {
        if (cb == 0) {
            return true;
        }
        return cb <= kMaxAnswerBytes - m_cb && (m_cb + cb + 1 <= m_cbCapacity || Resize(m_cb + cb + 1));
    }
    // False when memory runs out or the text would pass the bound.
    bool Append(const char* pch, size_t cb)
    {
        if (cb > kMaxAnswerBytes - m_cb || !Grow(m_cb + cb + 1)) {
            return false;
        }
        std::memcpy(m_pszText.get() + m_cb, pch, cb);
        m_cb += cb;
        m_pszText.get()[m_cb] = '\0';
        return true;
    }
    // The text, trimmed to its length, or null when nothing was appended.
    CommandResponse Release() noexcept
    {
        // Where the block cannot shrink it stays as it is.
        if (m_pszText && m_cbCapacity - (m_cb + 1) > kTrimSlack) {
            Resize(m_cb + 1);
        }
        m_cbCapacity = 0;
        return CommandResponse(std::move(m_pszText), std::exchange(m_cb, 0));
    }

private:
    static constexpr size_t kFirstCapacity = 1025;
    // Slack worth handing back once the answer is whole.
    static constexpr size_t kTrimSlack = 64 * 1024;

    bool Grow(size_t cbNeeded)
    {
        if (cbNeeded <= m_cbCapacity) {
            return true;
        }
        size_t cbCapacity = m_cbCapacity ? m_cbCapacity : kFirstCapacity;
        while (cbCapacity < cbNeeded) {
            cbCapacity *= 2;
        }
        return Resize(std::min(cbCapacity, kMaxAnswerBytes + 1));
    }
    bool Resize(size_t cbCapacity)
    {
        void* pResized = std::realloc(m_pszText.get(), cbCapacity);
        if (!pResized) {
            return false;
        }
        m_pszText.release();
        m_pszText.reset(static_cast<char*>(pResized));
        m_cbCapacity = cbCapacity;
        return true;
    }

    CHeapPtr<char> m_pszText;
    size_t m_cb = 0;
    size_t m_cbCapacity = 0;
};

// The body length the answer announced, when it announced one that reads as a number.
std::optional<unsigned long long> AnnouncedLength(HINTERNET hRequest)
{
    char szLength[24] = {};
    DWORD cbLength = sizeof(szLength) - 1;
    if (!InternetApi().HttpQueryInfoA(hRequest, HTTP_QUERY_CONTENT_LENGTH, szLength, &cbLength, nullptr) ||
        cbLength == 0 || cbLength > 19) {
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

}  // namespace

// What one request shares with the library's status callback. The library
// may call back, and write into the buffers below, after the exchange has
// given up on the request, until it reports the request's handle closing. So
// the context lives on the heap with two references, the request's and the
// library's, which the callback drops at HANDLE_CLOSING; the last one to let
// go frees it. A context the library never lets go of costs its memory and
// its completion event.
class CRequestContext {
public:
    // Both references taken; null when memory or the event runs out.
    static CRequestContext* Create(std::string body)
    {
        CRequestContext* pContext = new (std::nothrow) CRequestContext(std::move(body));
        if (pContext && !pContext->m_hCompleted) {
            delete pContext;
            return nullptr;
        }
        return pContext;
    }
    CRequestContext(const CRequestContext&) = delete;
    CRequestContext& operator=(const CRequestContext&) = delete;

    DWORD_PTR Value() { return reinterpret_cast<DWORD_PTR>(this); }
    // Drops the request's own reference.
    void Release()
    {
        if (::InterlockedDecrement(&m_nRefs) == 0) {
            delete this;
        }
    }
    // Drops the library's reference, once: at HANDLE_CLOSING, or when no
    // request handle was ever made with this context.
    void ReleaseLibraryReference()
    {
        if (::InterlockedExchange(&m_bLibraryHolds, FALSE)) {
            Release();
        }
    }

    void OnStatus(DWORD dwStatus, LPVOID pInfo, DWORD cbInfo)
    {
        switch (dwStatus) {
        case INTERNET_STATUS_CONNECTED_TO_SERVER:
            Note(m_bConnected);
            break;
        case INTERNET_STATUS_SENDING_REQUEST:
            Note(m_bSendingStarted);
            break;
        case INTERNET_STATUS_REQUEST_COMPLETE:
            if (pInfo && cbInfo >= sizeof(INTERNET_ASYNC_RESULT)) {
                Complete(*static_cast<const INTERNET_ASYNC_RESULT*>(pInfo));
            }
            break;
        case INTERNET_STATUS_HANDLE_CLOSING:
            ReleaseLibraryReference();
            break;
        default:
            break;
        }
    }

    // Clears the completion before a call that may complete later.
    void ExpectCompletion()
    {
        CExclusiveLock lock(m_lock);
        ::ResetEvent(m_hCompleted.Get());
        m_result = {};
    }
    HANDLE CompletionEvent() const { return m_hCompleted.Get(); }
    INTERNET_ASYNC_RESULT Result()
    {
        CExclusiveLock lock(m_lock);
        return m_result;
    }
    // What the library reported of the request's way out.
    bool HasConnected() { return HasReached(m_bConnected); }
    bool HasStartedSending() { return HasReached(m_bSendingStarted); }

    const std::string& Body() const { return m_body; }
    // Filled by the library, perhaps after the call that names them returned.
    DWORD m_dwBytesAvailable = 0;
    DWORD m_dwBytesRead = 0;
    char m_cPartResult[kChunkSize];

private:
    explicit CRequestContext(std::string body)
        : m_body(std::move(body)), m_hCompleted(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        ::InterlockedIncrement(&g_nContextsAlive);
    }
    ~CRequestContext()
    {
        ::SecureZeroMemory(&m_body[0], m_body.size());
        ::InterlockedDecrement(&g_nContextsAlive);
    }

    void Note(bool& bReached)
    {
        CExclusiveLock lock(m_lock);
        bReached = true;
    }
    bool HasReached(const bool& bReached)
    {
        CExclusiveLock lock(m_lock);
        return bReached;
    }
    // Takes no reference of its own: the library's lasts until
    // HANDLE_CLOSING, the last callback it makes for the request, and the
    // request's until its handle is closed, so the context outlives this call
    // and the event with it.
    void Complete(const INTERNET_ASYNC_RESULT& result)
    {
        {
            CExclusiveLock lock(m_lock);
            m_result = result;
        }
        ::SetEvent(m_hCompleted.Get());
    }

    std::string m_body;
    LONG m_nRefs = 2;
    LONG m_bLibraryHolds = TRUE;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CKernelHandle m_hCompleted;  // manual-reset, set by the completion
    bool m_bConnected = false;
    bool m_bSendingStarted = false;
    INTERNET_ASYNC_RESULT m_result = {};
};

void CALLBACK CServiceRequest::OnStatus(HINTERNET, DWORD_PTR dwContext, DWORD dwStatus, LPVOID pInfo, DWORD cbInfo)
{
    if (dwContext != 0 && dwContext != kConnectionContext) {
        reinterpret_cast<CRequestContext*>(dwContext)->OnStatus(dwStatus, pInfo, cbInfo);
    }
}

LONG CServiceRequest::ContextsAlive() { return ::InterlockedCompareExchange(&g_nContextsAlive, 0, 0); }

CServiceRequest::~CServiceRequest()
{
    // Closed first: the library keeps its own reference until HANDLE_CLOSING.
    m_hRequest.Reset();
    if (m_pContext) {
        m_pContext->Release();
    }
}

bool CServiceRequest::Open(HINTERNET hConnect, LPCSTR pszPath, DWORD dwFlags, std::string body)
{
    m_pContext = CRequestContext::Create(std::move(body));
    if (!m_pContext) {
        return false;
    }
    m_hRequest.Reset(InternetApi().HttpOpenRequestA(hConnect, "POST", pszPath, nullptr, nullptr, nullptr, dwFlags,
                                                    m_pContext->Value()));
    if (!m_hRequest) {
        m_pContext->ReleaseLibraryReference();
        return false;
    }
    return true;
}

// The one place the deadline is read against the library's clock. A
// cancelled request has no time left.
ULONGLONG CServiceRequest::MsLeft() const
{
    const ULONGLONG ullNow = InternetApi().TickCount();
    if (m_hCancel && ::WaitForSingleObject(m_hCancel, 0) == WAIT_OBJECT_0) {
        return 0;
    }
    return ullNow < m_ullDeadline ? m_ullDeadline - ullNow : 0;
}

// A request with no call pending may be closed at any time: once the
// deadline has passed it is.
bool CServiceRequest::WithinDeadline()
{
    if (MsLeft() > 0) {
        return true;
    }
    GiveUp();
    return false;
}

bool CServiceRequest::Start()
{
    if (!m_hRequest) {
        return false;
    }
    m_pContext->ExpectCompletion();
    ::SetLastError(ERROR_SUCCESS);
    return true;
}

bool CServiceRequest::Finish(BOOL bResult)
{
    if (bResult) {
        return true;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    INTERNET_ASYNC_RESULT result = {};
    if (!AwaitCompletion(result)) {
        GiveUp();
        return false;
    }
    return result.dwResult != 0;
}

// The completion may come on the calling thread before the call returns, or
// on a library thread at any time: the event keeps it either way. False when
// the deadline passes first, the request is cancelled or Windows ends the
// logon session meanwhile.
bool CServiceRequest::AwaitCompletion(INTERNET_ASYNC_RESULT& result)
{
    const HANDLE hCompleted = m_pContext->CompletionEvent();
    while (::WaitForSingleObject(hCompleted, 0) != WAIT_OBJECT_0) {
        const ULONGLONG ullLeftMs = MsLeft();
        if (ullLeftMs == 0) {
            return false;
        }
        const WaitEnd end =
            WaitModally(hCompleted, static_cast<DWORD>(std::min(ullLeftMs, kLongestWaitMs)), m_hCancel);
        if (end == WaitEnd::Cancelled || end == WaitEnd::LogonEnding) {
            return false;
        }
    }
    result = m_pContext->Result();
    return true;
}

void CServiceRequest::GiveUp()
{
    m_bGivenUp = true;
    m_hRequest.Reset();
}

bool CServiceRequest::MayHaveLeft() const
{
    if (m_bSendCompleted) {
        return true;
    }
    if (!m_pContext) {
        return false;
    }
    if (m_bGivenUp) {
        return m_pContext->HasConnected() || m_pContext->HasStartedSending();
    }
    return m_pContext->HasStartedSending();
}

bool CServiceRequest::Send(LPCSTR pszHeaders, DWORD cchHeaders)
{
    if (!m_hRequest || !WithinDeadline() || !Start()) {
        return false;
    }
    const std::string& body = m_pContext->Body();
    const BOOL bSent = InternetApi().HttpSendRequestA(m_hRequest.Get(), pszHeaders, cchHeaders,
                                                      const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
    m_bSendCompleted = Finish(bSent);
    return m_bSendCompleted;
}

// Looked at once a round, the deadline also ends an answer that always has a
// byte ready. A query that completes later is asked again: the answer then
// comes from what has arrived.
bool CServiceRequest::QueryDataAvailable(DWORD& dwBytesAvailable)
{
    for (;;) {
        if (!m_hRequest || !WithinDeadline() || !Start()) {
            return false;
        }
        if (InternetApi().InternetQueryDataAvailable(m_hRequest.Get(), &m_pContext->m_dwBytesAvailable, 0, 0)) {
            dwBytesAvailable = m_pContext->m_dwBytesAvailable;
            return true;
        }
        if (!Finish(FALSE)) {
            return false;
        }
    }
}

bool CServiceRequest::Read(DWORD cbWanted, DWORD& dwBytesRead)
{
    if (!Start()) {
        return false;
    }
    m_pContext->m_dwBytesRead = 0;
    if (!Finish(InternetApi().InternetReadFile(m_hRequest.Get(), m_pContext->m_cPartResult, cbWanted,
                                               &m_pContext->m_dwBytesRead))) {
        return false;
    }
    dwBytesRead = m_pContext->m_dwBytesRead;
    return dwBytesRead <= cbWanted;
}

bool CServiceRequest::ReadAnswer(CommandResponse& response)
{
    CAnswerText text;
    const std::optional<unsigned long long> cbAnnounced = AnnouncedLength(m_hRequest.Get());
    if (cbAnnounced && *cbAnnounced > kMaxAnswerBytes) {
        return false;
    }
    // Where the announced block cannot be had at once, it grows as the bytes come.
    if (cbAnnounced) {
        text.Reserve(static_cast<size_t>(*cbAnnounced));
    }
    unsigned long long cbReceived = 0;
    for (;;) {
        DWORD dwBytesAvailable = 0;
        DWORD dwBytesRead = 0;
        if (!QueryDataAvailable(dwBytesAvailable) || !Read(std::min(dwBytesAvailable, kChunkSize), dwBytesRead)) {
            return false;
        }
        if (dwBytesRead == 0) {
            break;
        }
        cbReceived += dwBytesRead;
        if (cbReceived > kMaxAnswerBytes) {
            return false;
        }
        const char* cPartResult = m_pContext->m_cPartResult;
        const void* pNul = std::memchr(cPartResult, '\0', dwBytesRead);
        const size_t cbText = pNul ? static_cast<size_t>(static_cast<const char*>(pNul) - cPartResult) : dwBytesRead;
        if (!text.Append(cPartResult, cbText)) {
            return false;
        }
    }
    if (cbAnnounced && cbReceived < *cbAnnounced) {
        return false;
    }
    response = text.Release();
    return true;
}
