#pragma once

#include "base/bstr.h"
#include "net/commandresponse.h"
#include "net/formfields.h"
#include "net/internetapi.h"

// How one exchange ended.
enum class ExchangeEnd {
    Failed,    // none of the request can have reached the service
    NoAnswer,  // some or all of the request may have gone, but no whole answer came or a redirect:
               // the service may have acted on it
    Answered   // a whole answer with a status line
};

struct ExchangeReport {
    ExchangeEnd end = ExchangeEnd::Failed;
    DWORD dwStatus = 0;  // the answer's HTTP status
};

// Wine's library does not cancel a pending call when its request is closed: a
// request given up on keeps a library thread and a socket until the service
// lets go. With this many held, further exchanges fail at once instead of
// adding more.
inline constexpr LONG kMaxRequestsHeldByTheLibrary = 4;

// Makes sure the machine is online (dialling if allowed) and opens an
// internet session in the library's asynchronous mode. Null on failure, with
// the reason in bstrErrorMessage.
CInternetHandle OpenInternetSession(bool bAllowDial, bool bUnattended, CBstr& bstrErrorMessage);

// Posts the request's body to the service's command script and reads the
// whole answer, all within the answer deadline; a set hCancel (may be null)
// ends the exchange as the deadline would. The text is null unless the
// exchange was answered, and then only when the answer was empty.
CommandResponse SendCommand(HINTERNET hInternetSession, FormFields& request, ExchangeReport& report,
                            HANDLE hCancel = nullptr);
CommandResponse PostCommand(HINTERNET hInternetSession, const char* pszBody, ExchangeReport& report,
                            HANDLE hCancel = nullptr);

// As above; bOk tells whether the exchange was answered.
CommandResponse SendCommand(HINTERNET hInternetSession, FormFields& request, bool& bOk);
CommandResponse PostCommand(HINTERNET hInternetSession, const char* pszBody, bool& bOk);
