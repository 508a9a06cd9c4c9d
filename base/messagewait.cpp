#include "base/messagewait.h"

#include "base/modalscope.h"

namespace {

thread_local bool t_bLogonEnding = false;

// Messages are retrieved as they arrive; the slice only bounds how long the
// ends of the wait go unlooked at.
constexpr DWORD kLongestSliceMs = 100;
// A window whose painting never validates must not keep the wait from its ends.
constexpr int kMostMessagesAtOnce = 64;

struct QuitSeen {
    bool bSeen = false;
    int nExitCode = 0;
};

void RetrieveAndDispatch(QuitSeen& quit)
{
    MSG msg;
    for (int n = 0; n < kMostMessagesAtOnce && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            quit = {true, static_cast<int>(msg.wParam)};
            continue;
        }
        const HWND hKept = CModalScope::Kept();
        if (hKept && ::IsDialogMessageW(hKept, &msg)) {
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (t_bLogonEnding) {
            return;
        }
    }
}

bool IsSet(HANDLE hEvent) { return hEvent && ::WaitForSingleObject(hEvent, 0) == WAIT_OBJECT_0; }

}  // namespace

WaitEnd WaitModally(HANDLE hObject, DWORD dwTimeoutMs, HANDLE hCancel, bool bEndsWithLogon)
{
    CModalScope::CCount count;
    HANDLE handles[2] = {};
    DWORD nHandles = 0;
    for (HANDLE h : {hObject, hCancel}) {
        if (h) {
            handles[nHandles++] = h;
        }
    }
    const ULONGLONG ullStart = ::GetTickCount64();
    QuitSeen quit;
    WaitEnd end = WaitEnd::TimedOut;
    for (;;) {
        RetrieveAndDispatch(quit);
        if (bEndsWithLogon && t_bLogonEnding) {
            end = WaitEnd::LogonEnding;
            break;
        }
        DWORD dwSliceMs = kLongestSliceMs;
        if (dwTimeoutMs != INFINITE) {
            const ULONGLONG ullElapsed = ::GetTickCount64() - ullStart;
            if (ullElapsed >= dwTimeoutMs) {
                end = IsSet(hObject) ? WaitEnd::Signalled : IsSet(hCancel) ? WaitEnd::Cancelled : WaitEnd::TimedOut;
                break;
            }
            const ULONGLONG ullLeft = dwTimeoutMs - ullElapsed;
            dwSliceMs = ullLeft < kLongestSliceMs ? static_cast<DWORD>(ullLeft) : kLongestSliceMs;
        }
        // MWMO_INPUTAVAILABLE: input that arrived while the last messages were
        // dispatched wakes the wait too, though the queue was looked at since.
        const DWORD dwWait =
            ::MsgWaitForMultipleObjectsEx(nHandles, handles, dwSliceMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (dwWait < WAIT_OBJECT_0 + nHandles) {
            end = handles[dwWait - WAIT_OBJECT_0] == hObject ? WaitEnd::Signalled : WaitEnd::Cancelled;
            break;
        }
        if (dwWait == WAIT_FAILED) {
            break;
        }
    }
    if (quit.bSeen) {
        ::PostQuitMessage(quit.nExitCode);
    }
    return end;
}

void MarkLogonEnding() { t_bLogonEnding = true; }

bool IsLogonEnding() { return t_bLogonEnding; }
