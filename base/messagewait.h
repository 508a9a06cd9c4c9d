#pragma once

#include <windows.h>

// How a modal wait ended.
enum class WaitEnd {
    Signalled,
    TimedOut,       // also when the objects cannot be waited on
    Cancelled,      // the cancel event was set
    LogonEnding     // Windows is ending the logon session (MarkLogonEnding)
};

// Waits for hObject (none: only for the time) at most dwTimeoutMs (INFINITE:
// no limit) the way a modal dialog's loop waits: every message of the thread
// is retrieved and dispatched as it comes, so Windows never counts its
// windows as hung and another thread sharing its input (a dialog owned by one
// of its windows) is never held up. The keys of the window a CModalScope
// keeps enabled go through the dialog manager (Escape, Enter, access keys);
// what the scope disabled gets no input from Windows, and the dialogs hold
// off what reaches them anyway (CDialogBase). WM_QUIT retrieved meanwhile is
// posted again when the wait ends, for the loop that owns it. Starts no thread.
// A set hCancel ends the wait as Cancelled; with bEndsWithLogon, the wait
// ends at once once the logon session is marked as ending on this thread.
WaitEnd WaitModally(HANDLE hObject, DWORD dwTimeoutMs, HANDLE hCancel = nullptr, bool bEndsWithLogon = true);

// Windows is ending the logon session: every later modal wait of this thread
// ends at once (the flag is never cleared; the program is about to end).
void MarkLogonEnding();
bool IsLogonEnding();
