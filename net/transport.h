#pragma once

#include "base/bstr.h"
#include "net/commandresponse.h"
#include "net/formfields.h"
#include "net/internethandle.h"

// Makes sure the machine is online (dialling if allowed) and opens a session.
// Null on failure, with the reason in bstrErrorMessage.
CInternetHandle OpenInternetSession(bool bAllowDial, bool bUnattended, CBstr& bstrErrorMessage);

// Posts the request's body to the service's command script and reads the
// whole answer. bOk is true when the request was sent and the answer read to
// its end; the text is then null only when the answer was empty.
CommandResponse SendCommand(HINTERNET hSession, FormFields& request, bool& bOk);
CommandResponse PostCommand(HINTERNET hSession, const char* pszBody, bool& bOk);
