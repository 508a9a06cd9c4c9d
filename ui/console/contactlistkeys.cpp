#include "ui/console/contactlistkeys.h"

#include <commctrl.h>

#include "resource.h"

namespace {

constexpr UINT_PTR kListSubclassId = 1;
// The console whose F5 the hook of this thread turns into Refresh.
thread_local HWND t_hConsole = nullptr;

// The characters that TranslateMessage makes of Ctrl+A, Ctrl+C and Ctrl+V.
constexpr WPARAM kCtrlA = 0x01;
constexpr WPARAM kCtrlC = 0x03;
constexpr WPARAM kCtrlV = 0x16;

void PostCommand(HWND hConsole, int nId) { ::PostMessageW(hConsole, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), 0); }

bool IsShiftDown() { return ::GetKeyState(VK_SHIFT) < 0; }

// Keyboard-invoked: the console places the menu by the selection.
void AskForContextMenu(HWND hList)
{
    ::SendMessageW(::GetParent(hList), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), -1);
}

}  // namespace

CContactListKeys::~CContactListKeys()
{
    m_hRefreshHook.Reset();
    t_hConsole = nullptr;
}

void CContactListKeys::Attach(HWND hConsole, HWND hList)
{
    ::SetWindowSubclass(hList, ListProc, kListSubclassId, 0);
    t_hConsole = hConsole;
    m_hRefreshHook.Reset(::SetWindowsHookExW(WH_GETMESSAGE, GetMessageProc, nullptr, ::GetCurrentThreadId()));
}

LRESULT CALLBACK CContactListKeys::ListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const HWND hConsole = ::GetParent(hWnd);
    switch (uMsg) {
    case WM_CHAR:
        if (wParam == kCtrlA || wParam == kCtrlC || wParam == kCtrlV) {
            PostCommand(hConsole, wParam == kCtrlA   ? ID_CONTACTS_SELECTALL
                                  : wParam == kCtrlC ? ID_CONTACTS_COPY
                                                     : ID_CONTACTS_PASTE);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_DELETE) {
            PostCommand(hConsole, IDC_DELETE);
            return 0;
        }
        if (wParam == VK_APPS) {
            AskForContextMenu(hWnd);
            return 0;
        }
        break;
    case WM_KEYUP:
        // The system would make a second menu of the Menu key's release.
        if (wParam == VK_APPS) {
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && IsShiftDown()) {
            AskForContextMenu(hWnd);
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        // From the right button; handed to the console, which owns the menu.
        return ::SendMessageW(hConsole, WM_CONTEXTMENU, wParam, lParam);
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hWnd, ListProc, kListSubclassId);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hWnd, uMsg, wParam, lParam);
}

// The dialog manager gives F5 to whichever control has the focus, and none of
// them wants it: it is taken from the thread's queue before it gets there.
LRESULT CALLBACK CContactListKeys::GetMessageProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    MSG* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == HC_ACTION && wParam == PM_REMOVE && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5 &&
        t_hConsole && (pMsg->hwnd == t_hConsole || ::IsChild(t_hConsole, pMsg->hwnd)) &&
        ::IsWindowEnabled(t_hConsole)) {
        PostCommand(t_hConsole, IDC_REFRESH);
        pMsg->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}
