#include "net/exchangecontext.h"

#include <new>
#include <utility>

#include "base/messagewait.h"
#include "net/internetapi.h"

namespace {

LONG g_nAlive = 0;

class CExclusiveLock {
public:
    explicit CExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~CExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    CExclusiveLock(const CExclusiveLock&) = delete;
    CExclusiveLock& operator=(const CExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

// Waits in slices, so that a far deadline never overflows the wait's DWORD
// and the library's clock is read again at least once a second.
constexpr ULONGLONG kLongestWaitMs = 1000;

}  // namespace

CExchangeContext::CExchangeContext(std::string body)
    : m_body(std::move(body)), m_hCompleted(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    ::InterlockedIncrement(&g_nAlive);
}

CExchangeContext::~CExchangeContext()
{
    // The body carries the member's credentials.
    ::SecureZeroMemory(&m_body[0], m_body.size());
    ::InterlockedDecrement(&g_nAlive);
}

CExchangeContext* CExchangeContext::Create(std::string body)
{
    CExchangeContext* pContext = new (std::nothrow) CExchangeContext(std::move(body));
    if (pContext && !pContext->m_hCompleted) {
        delete pContext;
        return nullptr;
    }
    return pContext;
}

LONG CExchangeContext::Alive() { return ::InterlockedCompareExchange(&g_nAlive, 0, 0); }

void CExchangeContext::Release()
{
    if (::InterlockedDecrement(&m_nRefs) == 0) {
        delete this;
    }
}

void CExchangeContext::ReleaseLibraryReference()
{
    if (::InterlockedExchange(&m_bLibraryHolds, FALSE)) {
        Release();
    }
}

void CALLBACK CExchangeContext::OnStatus(HINTERNET, DWORD_PTR dwContext, DWORD dwStatus, LPVOID pInfo, DWORD cbInfo)
{
    if (dwContext == 0 || dwContext == kConnectionContext) {
        return;
    }
    CExchangeContext* pThis = reinterpret_cast<CExchangeContext*>(dwContext);
    switch (dwStatus) {
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        pThis->NoteStage(&CExchangeContext::m_bConnected);
        break;
    case INTERNET_STATUS_SENDING_REQUEST:
        pThis->NoteStage(&CExchangeContext::m_bSendingStarted);
        break;
    case INTERNET_STATUS_REQUEST_COMPLETE:
        if (pInfo && cbInfo >= sizeof(INTERNET_ASYNC_RESULT)) {
            pThis->Complete(*static_cast<const INTERNET_ASYNC_RESULT*>(pInfo));
        }
        break;
    case INTERNET_STATUS_HANDLE_CLOSING:
        pThis->ReleaseLibraryReference();
        break;
    default:
        break;
    }
}

void CExchangeContext::NoteStage(bool CExchangeContext::*pbReached)
{
    CExclusiveLock lock(m_lock);
    this->*pbReached = true;
}

bool CExchangeContext::HasReached(bool CExchangeContext::*pbReached)
{
    CExclusiveLock lock(m_lock);
    return this->*pbReached;
}

bool CExchangeContext::HasConnected() { return HasReached(&CExchangeContext::m_bConnected); }

bool CExchangeContext::HasStartedSending() { return HasReached(&CExchangeContext::m_bSendingStarted); }

// Takes no reference of its own: the library's lasts until HANDLE_CLOSING,
// the last callback it makes for the request, and the waiter's until the
// request is closed, so the context outlives this call and the event with it.
void CExchangeContext::Complete(const INTERNET_ASYNC_RESULT& result)
{
    {
        CExclusiveLock lock(m_lock);
        m_result = result;
    }
    ::SetEvent(m_hCompleted.Get());
}

void CExchangeContext::ExpectCompletion()
{
    CExclusiveLock lock(m_lock);
    ::ResetEvent(m_hCompleted.Get());
    m_result = {};
}

// The completion may come on the calling thread before the call returns, or
// on a library thread at any time: the event keeps it either way.
CExchangeContext::Wait CExchangeContext::WaitForCompletion(ULONGLONG ullDeadline, INTERNET_ASYNC_RESULT& result)
{
    CInternetApi& api = InternetApi();
    while (::WaitForSingleObject(m_hCompleted.Get(), 0) != WAIT_OBJECT_0) {
        ULONGLONG ullNow = api.TickCount();
        if (ullNow >= ullDeadline) {
            return Wait::Deadline;
        }
        ULONGLONG ullWaitMs = ullDeadline - ullNow < kLongestWaitMs ? ullDeadline - ullNow : kLongestWaitMs;
        if (WaitAnsweringMessages(m_hCompleted.Get(), static_cast<DWORD>(ullWaitMs)) == WaitEnd::SessionEnding) {
            return Wait::SessionEnding;
        }
    }
    CExclusiveLock lock(m_lock);
    result = m_result;
    return Wait::Completed;
}
