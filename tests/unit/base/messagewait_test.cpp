#include <gtest/gtest.h>

#include <thread>

#include "base/apartmentcall.h"
#include "base/handles.h"
#include "base/messagewait.h"
#include "base/modalscope.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == kProbe) {
        ++*reinterpret_cast<int*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        return 1;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HWND MakeWindow(int* pnProbes)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QbModalWaitProbe";
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pnProbes));
    return hWnd;
}

// Another thread posts to a window and sends to it, then lets the wait end.
DWORD WINAPI PostSendSignal(LPVOID pParameter)
{
    auto* pTarget = static_cast<std::pair<HWND, HANDLE>*>(pParameter);
    ::PostMessageW(pTarget->first, kProbe, 0, 0);
    ::SendMessageW(pTarget->first, kProbe, 0, 0);
    ::SetEvent(pTarget->second);
    return 0;
}

// The window that shows the progress stays enabled; the console is disabled
// for the wait, gets every message meanwhile, and has its focus back after.
TEST(ModalWaitTest, DispatchesEveryMessageDisablesTheOthersThenRestoresThemAndKeepsWmQuit)
{
    int nConsoleProbes = 0;
    int nProgressProbes = 0;
    HWND hConsole = MakeWindow(&nConsoleProbes);
    HWND hButton = ::CreateWindowW(L"BUTTON", L"Refresh", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, hConsole, nullptr,
                                   nullptr, nullptr);
    HWND hProgress = MakeWindow(&nProgressProbes);
    ::SetActiveWindow(hConsole);
    ::SetFocus(hButton);
    ASSERT_EQ(::GetFocus(), hButton);
    CKernelHandle hEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::pair<HWND, HANDLE> target(hConsole, hEvent.Get());
    ::PostMessageW(hProgress, kProbe, 0, 0);
    ::PostQuitMessage(7);
    {
        CModalScope scope(hProgress);
        EXPECT_FALSE(::IsWindowEnabled(hConsole));
        EXPECT_TRUE(::IsWindowEnabled(hProgress));
        EXPECT_TRUE(CModalScope::IsOpen());
        CKernelHandle hThread(::CreateThread(nullptr, 0, PostSendSignal, &target, 0, nullptr));
        EXPECT_EQ(WaitModally(hEvent.Get(), 60000), WaitEnd::Signalled);
        ::WaitForSingleObject(hThread.Get(), INFINITE);
        EXPECT_EQ(WaitModally(nullptr, 10), WaitEnd::TimedOut);  // what was posted last is dispatched too
        EXPECT_EQ(nConsoleProbes, 2);
        EXPECT_EQ(nProgressProbes, 1);
    }
    EXPECT_FALSE(CModalScope::IsOpen());
    EXPECT_TRUE(::IsWindowEnabled(hConsole));
    EXPECT_EQ(::GetFocus(), hButton);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT is kept for its loop";
    EXPECT_EQ(msg.wParam, 7u);
    ::DestroyWindow(hProgress);
    ::DestroyWindow(hConsole);
}

TEST(ModalWaitTest, EndsAsCancelledTimedOutOrAtTheLogonEndAndRunsACallInASingleThreadedApartment)
{
    CKernelHandle hNever(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CKernelHandle hCancel(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    EXPECT_EQ(WaitModally(hNever.Get(), 50), WaitEnd::TimedOut);
    EXPECT_EQ(WaitModally(hNever.Get(), INFINITE, hCancel.Get()), WaitEnd::Cancelled);
    // The mark is for good, so on a thread of its own; a wait that outlasts it does.
    std::thread([&] {
        MarkLogonEnding();
        EXPECT_EQ(WaitModally(hNever.Get(), INFINITE), WaitEnd::LogonEnding);
        EXPECT_EQ(WaitModally(hNever.Get(), 50, nullptr, false), WaitEnd::TimedOut);
    }).join();

    HRESULT hrSecondJoin = S_OK;
    auto call = [&] { hrSecondJoin = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
    ASSERT_TRUE(RunInSingleThreadedApartment(call));
    // Joining the other apartment on a thread already in one is refused.
    EXPECT_EQ(hrSecondJoin, RPC_E_CHANGED_MODE);
}

}  // namespace
