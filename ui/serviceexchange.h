#pragma once

#include <windows.h>

#include "net/commandresponse.h"
#include "net/formfields.h"
#include "net/internethandle.h"
#include "ui/internetaccessprogress.h"

// One exchange with the service as every dialog frames it: the session opens
// first and closes with this object, and a missing session or an exchange
// without an answer is reported in a box owned by the dialog.
class CServiceExchange {
public:
    // The progress window, where there is one, steps after the session opens
    // and again when the command goes out.
    CServiceExchange(HWND hWndOwner, CInternetAccessProgress* pProgress);

    // False, after "Cannot Connect to Internet", when no session could be opened.
    bool Open();
    // Shows the action's status (when given) and sends the command. False,
    // after "Cannot Connect to Quillbay", when no answer came back.
    bool Send(FormFields& info, LPCWSTR pszStatus, CommandResponse& response);

private:
    void Step();

    HWND m_hWndOwner;
    CInternetAccessProgress* m_pProgress;
    CInternetHandle m_hSession;
};
