#include "net/exchangejob.h"

#include <new>
#include <utility>

namespace {

class CExclusiveLock {
public:
    explicit CExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~CExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    CExclusiveLock(const CExclusiveLock&) = delete;
    CExclusiveLock& operator=(const CExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

}  // namespace

CExchangeJob::CExchangeJob(HINTERNET hRequest, std::string body, SendFn pfnSend, ReadFn pfnRead,
                           ULONGLONG ullDeadline)
    : m_hRequest(hRequest), m_body(std::move(body)), m_pfnSend(pfnSend), m_pfnRead(pfnRead), m_ullDeadline(ullDeadline)
{
}

CommandResponse CExchangeJob::Run(CInternetHandle& hRequest, std::string body, SendFn pfnSend, ReadFn pfnRead,
                                  DWORD dwDeadlineMs, bool& bOk)
{
    bOk = false;
    const ULONGLONG ullDeadline = InternetApi().TickCount() + dwDeadlineMs;
    CExchangeJob* pJob =
        new (std::nothrow) CExchangeJob(hRequest.Get(), std::move(body), pfnSend, pfnRead, ullDeadline);
    if (!pJob) {
        return {};
    }
    pJob->m_nRefs = 2;
    CKernelHandle hWorker(::CreateThread(nullptr, 0, RunWorker, pJob, 0, nullptr));
    if (!hWorker) {
        // Without a worker the exchange runs here, bounded as far as the library's timeouts reach.
        pJob->m_nRefs = 1;
        pJob->Work();
    } else if (::WaitForSingleObject(hWorker.Get(), dwDeadlineMs) == WAIT_TIMEOUT && pJob->AbandonIfSending(hRequest)) {
        pJob->Release();
        return {};
    } else {
        // Reading: the read loop itself stops at the deadline, each read bounded by the receive timeout.
        ::WaitForSingleObject(hWorker.Get(), INFINITE);
    }
    CommandResponse response = std::move(pJob->m_response);
    bOk = pJob->m_bOk;
    pJob->Release();
    return response;
}

DWORD WINAPI CExchangeJob::RunWorker(void* pJob)
{
    CExchangeJob* pThis = static_cast<CExchangeJob*>(pJob);
    pThis->Work();
    pThis->Release();
    return 0;
}

void CExchangeJob::Work()
{
    // Once abandoned, the request handle is closed and its value may already
    // name another exchange's request: it must not be touched again.
    if (IsAbandoned()) {
        return;
    }
    bool bSent = m_pfnSend(m_hRequest, m_body);
    if (FinishSending() && bSent) {
        m_response = m_pfnRead(m_hRequest, m_ullDeadline, m_bOk);
    }
}

bool CExchangeJob::IsAbandoned()
{
    CExclusiveLock lock(m_lock);
    return m_bAbandoned;
}

bool CExchangeJob::FinishSending()
{
    CExclusiveLock lock(m_lock);
    m_bSending = false;
    return !m_bAbandoned;
}

bool CExchangeJob::AbandonIfSending(CInternetHandle& hRequest)
{
    CExclusiveLock lock(m_lock);
    if (!m_bSending) {
        return false;
    }
    m_bAbandoned = true;
    hRequest.Reset();
    return true;
}

void CExchangeJob::Release()
{
    if (::InterlockedDecrement(&m_nRefs) == 0) {
        delete this;
    }
}
