#pragma once

#include <windows.h>

#include "net/commandcatalogue.h"
#include "net/commandresponse.h"
#include "net/formfields.h"
#include "net/internetapi.h"
#include "net/transport.h"
#include "ui/dialogs/internetaccessprogress.h"

// Exchanges with the service as every dialog frames them: the internet
// session opens first and closes with this object, and a missing session or an exchange
// without an answer that counts is reported in a box owned by the dialog.
// While the command is out the thread waits modally: the progress window, or
// else the dialog, stays enabled; the thread's other windows are disabled.
class CExchangeFrame {
public:
    // The progress window, where there is one, steps after the internet session opens
    // and again when the command goes out.
    CExchangeFrame(HWND hWndOwner, CInternetAccessProgress* pProgress);

    // False, after "Cannot Connect to Internet", when no session could be
    // opened; false without a box once Windows is ending the logon session.
    bool Open();
    // Shows the action's status (when given) and sends the command. False,
    // after "Cannot Connect to Quillbay", when no answer that counts came
    // back; without a box when Windows ended the logon session meanwhile or
    // the exchange was cancelled.
    bool Send(ServiceCommand command, FormFields& info, LPCWSTR pszStatus, CommandResponse& response);
    // How the last Send ended.
    ExchangeEnd LastEnd() const { return m_lastEnd; }
    // A request that may have reached the service without an answer that
    // counts coming back (a whole answer outside 2xx included) is then told
    // apart, as one the service may have acted on.
    void TellUnknownOutcome() { m_bTellsUnknownOutcome = true; }
    // Once set, the event ends the exchange in flight as its deadline would.
    void SetCancelEvent(HANDLE hCancel) { m_hCancel = hCancel; }

private:
    void Step();

    HWND m_hWndOwner;
    CInternetAccessProgress* m_pProgress;
    CInternetHandle m_hInternetSession;
    bool m_bTellsUnknownOutcome = false;
    HANDLE m_hCancel = nullptr;
    ExchangeEnd m_lastEnd = ExchangeEnd::Failed;
};
