#include <gtest/gtest.h>

#include "ui/layout/windowplacement.h"

namespace {

constexpr DWORD kQuietMs = 500;

// Runs this thread's messages as a modal dialog loop does until the queue has
// stayed empty, timers included. Wine's loop shows its dialog normally when
// the queue first runs empty or right after the first timer message; the loop
// on Windows leaves a dialog alone once it is visible.
void RunModalLoopUntilQuiet(HWND hDlg, bool bReshowsAtFirstIdle)
{
    bool bFirstEmpty = true;
    auto reshow = [&] {
        if (bFirstEmpty && bReshowsAtFirstIdle) {
            ::ShowWindow(hDlg, SW_SHOWNORMAL);
        }
        bFirstEmpty = false;
    };
    for (;;) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            reshow();
            if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, kQuietMs, QS_ALLINPUT) == WAIT_TIMEOUT) {
                return;
            }
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (msg.message == WM_TIMER) {
            reshow();
        }
    }
}

// A first run (value names that were never stored) opens maximised. That start
// survives the loop's one normal show, and only that one: once the loop has
// been idle, a normal show from anyone restores the window.
class KeepMaximisedTest : public ::testing::TestWithParam<bool> {};

TEST_P(KeepMaximisedTest, TheMaximisedStartHoldsOnlyThroughTheFirstIdle)
{
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"console", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    RestoreWindowPlacement(hWnd, L"Test Width", L"Test Height", L"Test Maximized", -1, -1);
    EXPECT_TRUE(::IsZoomed(hWnd));
    RunModalLoopUntilQuiet(hWnd, GetParam());
    EXPECT_TRUE(::IsZoomed(hWnd));

    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    EXPECT_FALSE(::IsZoomed(hWnd));
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    ::DestroyWindow(hWnd);
}

INSTANTIATE_TEST_SUITE_P(WhetherTheLoopShowsAgainAtFirstIdle, KeepMaximisedTest, ::testing::Bool());

}  // namespace
