#include <gtest/gtest.h>

#include <thread>

#include "base/apartmentcall.h"
#include "base/handles.h"
#include "base/messagewait.h"
#include "base/modalscope.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;

struct Probe {
    HWND hWnd = nullptr;
    HANDLE hEvent = nullptr;
    int nHandled = 0;
};

LRESULT CALLBACK ProbeProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kProbe) {
        ++reinterpret_cast<Probe*>(lParam)->nHandled;
        return 1;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// Another thread posts one message, sends another and then lets the wait end.
DWORD WINAPI PostSendSignal(LPVOID pParameter)
{
    Probe& probe = *static_cast<Probe*>(pParameter);
    ::PostMessageW(probe.hWnd, kProbe, 0, reinterpret_cast<LPARAM>(&probe));
    ::SendMessageW(probe.hWnd, kProbe, 0, reinterpret_cast<LPARAM>(&probe));
    ::SetEvent(probe.hEvent);
    return 0;
}

// The console is disabled for the wait and has its focus back after; the
// window that shows the progress stays enabled; every message is dispatched.
TEST(MessageWaitTest, DispatchesEveryMessageDisablesTheOtherWindowsForTheWaitAndKeepsWmQuit)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QbMessageWaitProbe";
    ::RegisterClassW(&wc);
    HWND hProgress = ::CreateWindowW(wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr,
                                     wc.hInstance, nullptr);
    Probe probe;
    probe.hWnd = ::CreateWindowW(wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    HWND hButton = ::CreateWindowW(L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 0, 0, 9, 9, probe.hWnd, nullptr, nullptr,
                                   nullptr);
    ::SetActiveWindow(probe.hWnd);
    ::SetFocus(hButton);
    CKernelHandle hEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    probe.hEvent = hEvent.Get();
    ::PostQuitMessage(7);
    {
        CModalScope scope(hProgress);
        EXPECT_FALSE(::IsWindowEnabled(probe.hWnd));
        EXPECT_TRUE(::IsWindowEnabled(hProgress));
        CKernelHandle hThread(::CreateThread(nullptr, 0, PostSendSignal, &probe, 0, nullptr));
        EXPECT_EQ(WaitModally(hEvent.Get(), 60000), WaitEnd::Signalled);
        EXPECT_EQ(probe.nHandled, 2);
        ::WaitForSingleObject(hThread.Get(), INFINITE);
    }
    EXPECT_TRUE(::IsWindowEnabled(probe.hWnd));
    EXPECT_EQ(::GetFocus(), hButton);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 7);
    ::DestroyWindow(probe.hWnd);
    ::DestroyWindow(hProgress);
}

TEST(MessageWaitTest, EndsTimedOutCancelledOrAtTheLogonEndAndRunsACallInASingleThreadedApartment)
{
    CKernelHandle hNever(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CKernelHandle hCancel(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    EXPECT_EQ(WaitModally(hNever.Get(), 50), WaitEnd::TimedOut);
    EXPECT_EQ(WaitModally(hNever.Get(), INFINITE, hCancel.Get()), WaitEnd::Cancelled);
    // The mark is for good, so on a thread of its own.
    std::thread([&] {
        MarkLogonEnding();
        EXPECT_EQ(WaitModally(hNever.Get(), INFINITE), WaitEnd::LogonEnding);
    }).join();

    HRESULT hrSecondJoin = S_OK;
    auto call = [&] { hrSecondJoin = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    ASSERT_TRUE(RunInSingleThreadedApartment(call));
    // Joining the other apartment on a thread already in one is refused.
    EXPECT_EQ(hrSecondJoin, RPC_E_CHANGED_MODE);
}

}  // namespace
