#include "base/messagewait.h"

namespace {

thread_local int t_nAnsweringDepth = 0;
thread_local bool t_bLogonEnding = false;

// Windows calls a window hung when its thread has not looked at its queue for
// 5 s; the wait looks far more often than that.
constexpr DWORD kLongestSliceMs = 1000;
// A window whose painting never validates must not keep the wait busy.
constexpr int kMostPaintsAtOnce = 64;

class CAnsweringScope {
public:
    CAnsweringScope() noexcept { ++t_nAnsweringDepth; }
    ~CAnsweringScope() { --t_nAnsweringDepth; }
    CAnsweringScope(const CAnsweringScope&) = delete;
    CAnsweringScope& operator=(const CAnsweringScope&) = delete;
};

// Any PeekMessage call hands the pending sent messages to their windows;
// PM_QS_PAINT then takes paint messages only, never posted input.
void AnswerSystem()
{
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    for (int nPaint = 0; nPaint < kMostPaintsAtOnce && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT);
         ++nPaint) {
        if (msg.message == WM_QUIT) {
            // Never ours to take: the loop that waits for it gets it again.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

WaitEnd WaitAnsweringMessages(HANDLE hObject, DWORD dwTimeoutMs, bool bEndsWithLogon)
{
    CAnsweringScope scope;
    const ULONGLONG ullStart = ::GetTickCount64();
    for (;;) {
        AnswerSystem();
        if (bEndsWithLogon && t_bLogonEnding) {
            return WaitEnd::LogonEnding;
        }
        DWORD dwSliceMs = kLongestSliceMs;
        if (dwTimeoutMs != INFINITE) {
            ULONGLONG ullElapsed = ::GetTickCount64() - ullStart;
            if (ullElapsed >= dwTimeoutMs) {
                return ::WaitForSingleObject(hObject, 0) == WAIT_OBJECT_0 ? WaitEnd::Signalled : WaitEnd::TimedOut;
            }
            ULONGLONG ullLeft = dwTimeoutMs - ullElapsed;
            dwSliceMs = ullLeft < kLongestSliceMs ? static_cast<DWORD>(ullLeft) : kLongestSliceMs;
        }
        DWORD dwWait = ::MsgWaitForMultipleObjectsEx(1, &hObject, dwSliceMs, QS_SENDMESSAGE | QS_PAINT, 0);
        if (dwWait == WAIT_OBJECT_0) {
            return WaitEnd::Signalled;
        }
        if (dwWait == WAIT_FAILED) {
            return WaitEnd::TimedOut;
        }
    }
}

bool IsAnsweringMessages() { return t_nAnsweringDepth > 0; }

void MarkLogonEnding() { t_bLogonEnding = true; }

bool IsLogonEnding() { return t_bLogonEnding; }
