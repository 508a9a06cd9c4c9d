#pragma once

#include <windows.h>

// The end of the logon session (a logoff, a shutdown, the Restart Manager
// closing the program for an upgrade), as the first window of the session
// thread to get WM_ENDSESSION (TRUE) carries it out, once: the thread is
// marked, so that an exchange in flight ends as at its deadline, with no box
// and no exchange after it; every dialog and message box of the thread ends,
// a question as answered No (message boxes ignore WM_CLOSE); then the
// application's handler ends the program.
void CarryOutLogonEnd();

// Called on the session thread, after the windows were told to end; set once
// before the session thread starts.
void SetLogonEndHandler(void (*pfnHandler)());

// A hidden top-level window for the life of the member's session, so that
// the logon end is carried out even when only a message box of the session
// thread is open (a box answers WM_ENDSESSION without ending).
class CLogonEndWatch {
public:
    CLogonEndWatch();
    ~CLogonEndWatch();
    CLogonEndWatch(const CLogonEndWatch&) = delete;
    CLogonEndWatch& operator=(const CLogonEndWatch&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
};
