#include "ui/sessionend.h"

#include "base/messagewait.h"

namespace {

void (*g_pfnSessionEndHandler)() = nullptr;

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

void EndSessionOfThisThread()
{
    if (IsSessionEnding()) {
        return;
    }
    MarkSessionEnding();
    ::EnumThreadWindows(::GetCurrentThreadId(), EndDialogWindow, 0);
    if (g_pfnSessionEndHandler) {
        g_pfnSessionEndHandler();
    }
}

void SetSessionEndHandler(void (*pfnHandler)()) { g_pfnSessionEndHandler = pfnHandler; }
