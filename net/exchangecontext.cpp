#include "net/exchangecontext.h"

#include <new>
#include <utility>

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

// Waits in slices, so that a far deadline never overflows the wait's DWORD.
constexpr ULONGLONG kLongestWaitMs = 60000;

}  // namespace

CExchangeContext::CExchangeContext(std::string body) : m_body(std::move(body))
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
    return new (std::nothrow) CExchangeContext(std::move(body));
}

LONG CExchangeContext::Alive() { return ::InterlockedCompareExchange(&g_nAlive, 0, 0); }

void CExchangeContext::AddRef() { ::InterlockedIncrement(&m_nRefs); }

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
    CExchangeContext* pThis = reinterpret_cast<CExchangeContext*>(dwContext);
    if (!pThis) {
        return;
    }
    switch (dwStatus) {
    case INTERNET_STATUS_REQUEST_SENT:
        pThis->NoteRequestSent();
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

void CExchangeContext::NoteRequestSent()
{
    CExclusiveLock lock(m_lock);
    m_bRequestSent = true;
}

// Holds a reference of its own, so that a HANDLE_CLOSING on another thread
// cannot free the context while the waiter is being woken.
void CExchangeContext::Complete(const INTERNET_ASYNC_RESULT& result)
{
    AddRef();
    {
        CExclusiveLock lock(m_lock);
        m_result = result;
        m_bCompleted = true;
        ::WakeAllConditionVariable(&m_completed);
    }
    Release();
}

void CExchangeContext::ExpectCompletion()
{
    CExclusiveLock lock(m_lock);
    m_bCompleted = false;
    m_result = {};
}

bool CExchangeContext::WaitForCompletion(ULONGLONG ullDeadline, INTERNET_ASYNC_RESULT& result)
{
    CInternetApi& api = InternetApi();
    CExclusiveLock lock(m_lock);
    while (!m_bCompleted) {
        ULONGLONG ullNow = api.TickCount();
        if (ullNow >= ullDeadline) {
            return false;
        }
        ULONGLONG ullWaitMs = ullDeadline - ullNow < kLongestWaitMs ? ullDeadline - ullNow : kLongestWaitMs;
        ::SleepConditionVariableSRW(&m_completed, &m_lock, static_cast<DWORD>(ullWaitMs), 0);
    }
    result = m_result;
    return true;
}

bool CExchangeContext::WasRequestSent()
{
    CExclusiveLock lock(m_lock);
    return m_bRequestSent;
}
