#include "net/asyncrequest.h"

#include <utility>

CAsyncRequest::~CAsyncRequest()
{
    // Closed first: the library keeps its own reference until HANDLE_CLOSING.
    m_hRequest.Reset();
    if (m_pContext) {
        m_pContext->Release();
    }
}

bool CAsyncRequest::Open(HINTERNET hConnect, LPCSTR pszPath, DWORD dwFlags, std::string body)
{
    m_pContext = CExchangeContext::Create(std::move(body));
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

// False, with the request closed, once the deadline has passed (a request
// with no call pending may be closed at any time). Checked once a round, so
// that an answer which always has a byte ready cannot outlast the deadline.
bool CAsyncRequest::Start(bool bCheckDeadline)
{
    if (!m_hRequest) {
        return false;
    }
    if (bCheckDeadline && InternetApi().TickCount() >= m_ullDeadline) {
        GiveUp();
        return false;
    }
    m_pContext->ExpectCompletion();
    ::SetLastError(ERROR_SUCCESS);
    return true;
}

bool CAsyncRequest::Finish(BOOL bResult)
{
    if (bResult) {
        return true;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    INTERNET_ASYNC_RESULT result = {};
    if (m_pContext->WaitForCompletion(m_ullDeadline, result) != CExchangeContext::Wait::Completed) {
        GiveUp();
        return false;
    }
    return result.dwResult != 0;
}

void CAsyncRequest::GiveUp()
{
    m_bGivenUp = true;
    m_hRequest.Reset();
}

bool CAsyncRequest::MayHaveLeft() const
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

bool CAsyncRequest::Send(LPCSTR pszHeaders, DWORD cchHeaders)
{
    if (!Start(true)) {
        return false;
    }
    const std::string& body = m_pContext->Body();
    BOOL bSent = InternetApi().HttpSendRequestA(m_hRequest.Get(), pszHeaders, cchHeaders,
                                                const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
    m_bSendCompleted = Finish(bSent);
    return m_bSendCompleted;
}

// A query that completes later is asked again: the answer then comes from
// what has arrived.
bool CAsyncRequest::QueryDataAvailable(DWORD& dwAvailable)
{
    for (;;) {
        if (!Start(true)) {
            return false;
        }
        if (InternetApi().InternetQueryDataAvailable(m_hRequest.Get(), &m_pContext->m_dwAvailable, 0, 0)) {
            dwAvailable = m_pContext->m_dwAvailable;
            return true;
        }
        if (!Finish(FALSE)) {
            return false;
        }
    }
}

bool CAsyncRequest::Read(DWORD cbWanted, DWORD& cbRead)
{
    if (cbWanted > CExchangeContext::kChunkSize || !Start(false)) {
        return false;
    }
    m_pContext->m_dwRead = 0;
    if (!Finish(InternetApi().InternetReadFile(m_hRequest.Get(), m_pContext->m_cPartResult, cbWanted,
                                               &m_pContext->m_dwRead))) {
        return false;
    }
    cbRead = m_pContext->m_dwRead;
    return cbRead <= cbWanted;
}
