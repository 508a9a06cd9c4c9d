#pragma once

#include <windows.h>

// How a wait that keeps answering the system ended.
enum class WaitEnd {
    Signalled,
    TimedOut,       // also when the object cannot be waited on
    LogonEnding     // Windows is ending the logon session (MarkLogonEnding)
};

// Waits for hObject at most dwTimeoutMs (INFINITE: no limit) while the thread
// keeps answering the system, so that Windows never counts its windows as
// hung: messages sent to them are handled and they are painted. Posted input
// (clicks, keys, posted commands) stays queued and is acted on after the
// wait. Starts no thread. With bEndsWithLogon, the wait ends at once once
// the logon session is marked as ending on this thread.
WaitEnd WaitAnsweringMessages(HANDLE hObject, DWORD dwTimeoutMs, bool bEndsWithLogon = true);

// True while the calling thread is inside WaitAnsweringMessages. A command,
// close or system command sent to a dialog then is posted again, to be acted
// on after the wait rather than inside it.
bool IsAnsweringMessages();

// Windows is ending the logon session: every later answering wait of this thread
// ends at once (the flag is never cleared; the program is about to end).
void MarkLogonEnding();
bool IsLogonEnding();
