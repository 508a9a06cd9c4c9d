#include "ui/layout/windowplacement.h"

#include <algorithm>

#include "base/handles.h"
#include "base/modalscope.h"
#include "settings/regvalue.h"
#include "ui/layout/dpi.h"

namespace {

constexpr DWORD kNoSize = 0xFFFFFFFF;

// No display is this wide, and scaling it up cannot overflow.
constexpr DWORD kLargestSize = 1 << 20;

DWORD DefaultSize(int nSize) { return nSize == 0 ? kNoSize : static_cast<DWORD>(nSize); }

// Sizes are stored at 96 dpi, so that they mean the same at every scale and
// a size stored before the program knew of scales keeps its meaning.
LONG StoredToWindow(DWORD dwSize, UINT dpi)
{
    return ScaleToDpi(static_cast<int>(std::min(dwSize, kLargestSize)), dpi);
}

DWORD WindowToStored(LONG nSize, UINT dpi) { return static_cast<DWORD>(std::max(0, ScaleFromDpi(nSize, dpi))); }

// A modal dialog loop may show its dialog with SW_SHOWNORMAL when its queue
// first runs empty (Wine's does), which would undo the maximised state given
// during initialisation. This hook vetoes that single call for the window. It
// goes with the call, with the window, or once the loop's first idle has
// passed, so that where no such call comes it holds back nobody else's.
// UI thread only.
CHookHandle g_hKeepStateHook;
HWND g_hKeepStateWindow = nullptr;
int g_nIdleTicks = 0;
constexpr UINT_PTR kIdleTimerId = 0x5150;

void StopKeepingState()
{
    if (g_hKeepStateWindow) {
        ::KillTimer(g_hKeepStateWindow, kIdleTimerId);
    }
    g_hKeepStateHook.Reset();
    g_hKeepStateWindow = nullptr;
}

LRESULT CALLBACK KeepStateHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    HHOOK hHook = g_hKeepStateHook.Get();
    bool bOurWindow = reinterpret_cast<HWND>(wParam) == g_hKeepStateWindow;
    if (bOurWindow && nCode == HCBT_MINMAX && LOWORD(lParam) == SW_SHOWNORMAL) {
        StopKeepingState();
        return 1;
    }
    if (bOurWindow && nCode == HCBT_DESTROYWND) {
        StopKeepingState();
    }
    return ::CallNextHookEx(hHook, nCode, wParam, lParam);
}

// Timer messages come only when nothing else waits, so the first tick is the
// loop's first idle. A loop that shows its dialog again does so at that idle
// or right after dispatching that tick; by the second tick it has passed.
// Ticks that a modal wait dispatches (the details load as the console opens)
// come before the loop.
void CALLBACK IdleTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (!CModalScope::IsOpen() && ++g_nIdleTicks >= 2) {
        StopKeepingState();
    }
}

void KeepStateThroughFirstShow(HWND hWnd)
{
    StopKeepingState();
    g_hKeepStateHook.Reset(::SetWindowsHookExW(WH_CBT, KeepStateHook, nullptr, ::GetCurrentThreadId()));
    if (g_hKeepStateHook) {
        g_hKeepStateWindow = hWnd;
        g_nIdleTicks = 0;
        ::SetTimer(hWnd, kIdleTimerId, USER_TIMER_MINIMUM, IdleTimerProc);
    }
}

void ApplyFirstRunSize(HWND hWnd)
{
    int cx = ::GetSystemMetrics(SM_CXSCREEN) / 3 * 2;
    int cy = ::GetSystemMetrics(SM_CYSCREEN) / 3 * 2;
    ::SetWindowPos(hWnd, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoA(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return monitor.rcWork;
    }
    RECT rcWork = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    return rcWork;
}

// The start of a span of the given length that lies inside [low, high) and
// moves as little as possible from where it starts now.
LONG PlaceInside(LONG nStart, LONG nLength, LONG nLow, LONG nHigh)
{
    return std::max(nLow, std::min(nStart, nHigh - nLength));
}

// A size stored on a larger display is cut to the work area, and the frame is
// moved only as far as needed to lie wholly inside it, so that every control
// can be reached. What is stored stays as it is until the next save.
void ApplyStoredSize(HWND hWnd, DWORD dwWidth, DWORD dwHeight)
{
    RECT rcWork = WorkAreaOf(hWnd);
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    UINT dpi = DpiOfWindow(hWnd);
    LONG cx = std::min(StoredToWindow(dwWidth, dpi), rcWork.right - rcWork.left);
    LONG cy = std::min(StoredToWindow(dwHeight, dpi), rcWork.bottom - rcWork.top);
    LONG x = PlaceInside(rc.left, cx, rcWork.left, rcWork.right);
    LONG y = PlaceInside(rc.top, cy, rcWork.top, rcWork.bottom);
    ::SetWindowPos(hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void SaveWindowPlacement(HWND hWnd, LPCWSTR pszWidthName, LPCWSTR pszHeightName, LPCWSTR pszMaximizedName)
{
    bool bMaximized = ::IsZoomed(hWnd) != FALSE;
    CRegValue<bool> isMaximized(HKEY_CURRENT_USER, kSettingsKey, pszMaximizedName);
    isMaximized.Set(bMaximized);
    RECT rc = {};
    if (bMaximized || ::IsIconic(hWnd) || !::GetWindowRect(hWnd, &rc)) {
        return;
    }
    UINT dpi = DpiOfWindow(hWnd);
    CRegValue<DWORD> regAppHeight(HKEY_CURRENT_USER, kSettingsKey, pszHeightName);
    regAppHeight.Set(WindowToStored(rc.bottom - rc.top, dpi));
    CRegValue<DWORD> regAppWidth(HKEY_CURRENT_USER, kSettingsKey, pszWidthName);
    regAppWidth.Set(WindowToStored(rc.right - rc.left, dpi));
}

void RestoreWindowPlacement(HWND hWnd, LPCWSTR pszWidthName, LPCWSTR pszHeightName, LPCWSTR pszMaximizedName,
                            int nDefaultWidth, int nDefaultHeight)
{
    DWORD dwHeight = kNoSize;
    CRegValue<DWORD> regAppHeight(HKEY_CURRENT_USER, kSettingsKey, pszHeightName, DefaultSize(nDefaultHeight));
    regAppHeight.Get(dwHeight);
    DWORD dwWidth = kNoSize;
    CRegValue<DWORD> regAppWidth(HKEY_CURRENT_USER, kSettingsKey, pszWidthName, DefaultSize(nDefaultWidth));
    regAppWidth.Get(dwWidth);
    bool bMaximized = false;
    CRegValue<bool> isMaximized(HKEY_CURRENT_USER, kSettingsKey, pszMaximizedName, false);
    isMaximized.Get(bMaximized);

    // Half a size is no size: a window cannot be given just one dimension.
    bool bNoSize = dwWidth == kNoSize || dwHeight == kNoSize;
    if (bNoSize) {
        ApplyFirstRunSize(hWnd);
    }
    if (bMaximized || bNoSize) {
        ::ShowWindow(hWnd, SW_SHOWMAXIMIZED);
        KeepStateThroughFirstShow(hWnd);
    } else {
        ApplyStoredSize(hWnd, dwWidth, dwHeight);
    }
}
