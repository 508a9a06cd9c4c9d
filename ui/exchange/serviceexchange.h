#pragma once

#include <windows.h>

#include "net/commandcatalogue.h"
#include "net/commandresponse.h"
#include "net/formfields.h"
#include "net/internethandle.h"
#include "ui/dialogs/internetaccessprogress.h"

// One exchange with the service as every dialog frames it: the session opens
// first and closes with this object, and a missing session or an exchange
// without an answer that counts is reported in a box owned by the dialog.
class CServiceExchange {
public:
    // The progress window, where there is one, steps after the session opens
    // and again when the command goes out.
    CServiceExchange(HWND hWndOwner, CInternetAccessProgress* pProgress);

    // False, after "Cannot Connect to Internet", when no session could be
    // opened; false without a box once the session of Windows is ending.
    bool Open();
    // Shows the action's status (when given) and sends the command. False,
    // after "Cannot Connect to Quillbay", when no answer that counts came
    // back; without a box when the session of Windows ended meanwhile.
    bool Send(ServiceCommand command, FormFields& info, LPCWSTR pszStatus, CommandResponse& response);
    // A request that may have reached the service without an answer that
    // counts coming back (a whole answer outside 2xx included) is then told
    // apart, as one the service may have acted on.
    void TellUnknownOutcome() { m_bTellsUnknownOutcome = true; }

private:
    void Step();

    HWND m_hWndOwner;
    CInternetAccessProgress* m_pProgress;
    CInternetHandle m_hSession;
    bool m_bTellsUnknownOutcome = false;
};
