#include <gtest/gtest.h>

#include "base/apartmentcall.h"
#include "base/handles.h"
#include "base/messagewait.h"

namespace {

constexpr UINT kPosted = WM_APP + 1;
constexpr UINT kSent = WM_APP + 2;

struct Probe {
    HWND hWnd = nullptr;
    HANDLE hEvent = nullptr;
    bool bSentWasHandled = false;
};

LRESULT CALLBACK ProbeProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kSent) {
        reinterpret_cast<Probe*>(lParam)->bSentWasHandled = true;
        return 1;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Another thread posts one message, sends another and then lets the wait end.
DWORD WINAPI PostSendSignal(LPVOID pParameter)
{
    Probe& probe = *static_cast<Probe*>(pParameter);
    ::PostMessageW(probe.hWnd, kPosted, 0, 0);
    ::SendMessageW(probe.hWnd, kSent, 0, reinterpret_cast<LPARAM>(&probe));
    ::SetEvent(probe.hEvent);
    return 0;
}

TEST(MessageWaitTest, SentMessagesAreAnsweredPostedOnesStayQueued)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QbMessageWaitProbe";
    ::RegisterClassW(&wc);
    Probe probe;
    probe.hWnd = ::CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(probe.hWnd, nullptr);
    CKernelHandle hEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    probe.hEvent = hEvent.Get();
    CKernelHandle hThread(::CreateThread(nullptr, 0, PostSendSignal, &probe, 0, nullptr));

    EXPECT_EQ(WaitAnsweringMessages(hEvent.Get(), 60000), WaitEnd::Signalled);
    EXPECT_TRUE(probe.bSentWasHandled);
    EXPECT_FALSE(IsAnsweringMessages());
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, probe.hWnd, kPosted, kPosted, PM_REMOVE));
    ::WaitForSingleObject(hThread.Get(), INFINITE);
    ::DestroyWindow(probe.hWnd);
}

TEST(MessageWaitTest, TimesOutAndRunsACallInASingleThreadedApartment)
{
    CKernelHandle hNever(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(WaitAnsweringMessages(hNever.Get(), 50), WaitEnd::TimedOut);

    HRESULT hrSecondJoin = S_OK;
    auto call = [&] { hrSecondJoin = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    ASSERT_TRUE(RunInSingleThreadedApartment(call));
    // Joining the other apartment on a thread already in one is refused.
    EXPECT_EQ(hrSecondJoin, RPC_E_CHANGED_MODE);
}

}  // namespace
