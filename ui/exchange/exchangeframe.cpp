#include "ui/exchange/exchangeframe.h"

#include "base/messagewait.h"
#include "base/modalscope.h"
#include "ui/exchange/exchangetexts.h"

CExchangeFrame::CExchangeFrame(HWND hWndOwner, CInternetAccessProgress* pProgress)
    : m_hWndOwner(hWndOwner), m_pProgress(pProgress)
{
}

void CExchangeFrame::Step()
{
    if (m_pProgress) {
        m_pProgress->Step();
    }
}

// Once Windows ends the logon session nothing is asked and nothing more is sent.
bool CExchangeFrame::Open()
{
    if (IsLogonEnding()) {
        return false;
    }
    // The reason is for diagnosis only; the member gets the box below.
    CBstr bstrErrorMessage;
    m_hInternetSession = OpenInternetSession(true, false, bstrErrorMessage);
    Step();
    if (!m_hInternetSession) {
        ::MessageBoxW(m_hWndOwner, kNoInternetText, kNoInternetCaption, MB_OK);
        return false;
    }
    return true;
}

bool CExchangeFrame::Send(ServiceCommand command, FormFields& info, LPCWSTR pszStatus, CommandResponse& response)
{
    if (m_pProgress && pszStatus) {
        m_pProgress->SetStatusText(CBstr(pszStatus));
    }
    Step();
    ExchangeReport report;
    {
        CModalScope scope(m_pProgress && m_pProgress->GetHwnd() ? m_pProgress->GetHwnd() : m_hWndOwner);
        response = SendCommand(m_hInternetSession.Get(), info, report, m_hCancel);
    }
    m_lastEnd = report.end;
    if (report.end == ExchangeEnd::Answered && CountsAsAnswer(command, report.dwStatus, response.Text())) {
        return true;
    }
    response = CommandResponse();
    if (IsLogonEnding() || (m_hCancel && ::WaitForSingleObject(m_hCancel, 0) == WAIT_OBJECT_0)) {
        return false;
    }
    // A whole answer that does not count came from a service that had the request.
    if (m_bTellsUnknownOutcome && report.end != ExchangeEnd::Failed) {
        ::MessageBoxW(m_hWndOwner, kNoAnswerText, kNoAnswerCaption, MB_OK);
    } else {
        ::MessageBoxW(m_hWndOwner, kNoServerText, kNoServerCaption, MB_OK);
    }
    return false;
}
