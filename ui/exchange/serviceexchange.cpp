#include "ui/exchange/serviceexchange.h"

#include "base/messagewait.h"
#include "net/transport.h"
#include "ui/exchange/exchangeui.h"

CServiceExchange::CServiceExchange(HWND hWndOwner, CInternetAccessProgress* pProgress)
    : m_hWndOwner(hWndOwner), m_pProgress(pProgress)
{
}

void CServiceExchange::Step()
{
    if (m_pProgress) {
        m_pProgress->Step();
    }
}

// Once Windows ends the session nothing is asked and nothing more is sent.
bool CServiceExchange::Open()
{
    if (IsSessionEnding()) {
        return false;
    }
    // The reason is for diagnosis only; the member gets the box below.
    CBstr bstrErrorMessage;
    m_hSession = OpenInternetSession(true, false, bstrErrorMessage);
    Step();
    if (!m_hSession) {
        ::MessageBoxW(m_hWndOwner, kNoInternetText, kNoInternetCaption, MB_OK);
        return false;
    }
    return true;
}

bool CServiceExchange::Send(ServiceCommand command, FormFields& info, LPCWSTR pszStatus, CommandResponse& response)
{
    if (m_pProgress && pszStatus) {
        m_pProgress->SetStatusText(CBstr(pszStatus));
    }
    Step();
    ExchangeReport report;
    response = SendCommand(m_hSession.Get(), info, report);
    if (report.end == ExchangeEnd::Answered && CountsAsAnswer(command, report.dwStatus, response.Text())) {
        return true;
    }
    response = CommandResponse();
    if (IsSessionEnding()) {
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
