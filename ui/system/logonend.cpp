#include "ui/system/logonend.h"

#include "base/messagewait.h"

namespace {

void (*g_pfnLogonEndHandler)() = nullptr;

constexpr wchar_t kWatchClass[] = L"QuillbayLogonEndWatch";

// The dialog manager's class: the program's dialogs and every message box.
// EndDialog only marks a dialog as ended, so a dialog whose handler is still
// running (a nested box, an exchange) ends when that handler returns.
BOOL CALLBACK EndDialogWindow(HWND hWnd, LPARAM)
{
    wchar_t szClass[16] = {};
    if (::GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass)) > 0 && ::lstrcmpW(szClass, L"#32770") == 0) {
        ::EndDialog(hWnd, IDNO);
    }
    return TRUE;
}

}  // namespace

void CarryOutLogonEnd()
{
    if (IsLogonEnding()) {
        return;
    }
    MarkLogonEnding();
    ::EnumThreadWindows(::GetCurrentThreadId(), EndDialogWindow, 0);
    if (g_pfnLogonEndHandler) {
        g_pfnLogonEndHandler();
    }
}

void SetLogonEndHandler(void (*pfnHandler)()) { g_pfnLogonEndHandler = pfnHandler; }

// Not a message-only window: those never hear of the end of the logon session.
CLogonEndWatch::CLogonEndWatch()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kWatchClass;
    ::RegisterClassW(&wc);
    m_hWnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kWatchClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
}

CLogonEndWatch::~CLogonEndWatch()
{
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK CLogonEndWatch::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_ENDSESSION && wParam) {
        CarryOutLogonEnd();
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
