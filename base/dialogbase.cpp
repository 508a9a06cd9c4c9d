#include "base/dialogbase.h"

#include "base/modalscope.h"

CDialogBase::~CDialogBase()
{
    // The derived part is gone: messages of a window still open must not be
    // routed to it any more.
    if (m_hWnd) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        if (m_bModeless) {
            ::DestroyWindow(m_hWnd);
        }
        m_hWnd = nullptr;
    }
}

const DLGTEMPLATE* CDialogBase::LoadTemplate() const
{
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(m_idTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL hData = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    return hData ? static_cast<const DLGTEMPLATE*>(::LockResource(hData)) : nullptr;
}

INT_PTR CDialogBase::DoModal(HWND hWndOwner)
{
    const DLGTEMPLATE* pTemplate = LoadTemplate();
    if (!pTemplate) {
        return -1;
    }
    m_bModeless = false;
    // Unicode windows: what they hold and show is never narrowed to 8 bits.
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), pTemplate, hWndOwner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

HWND CDialogBase::Create(HWND hWndOwner)
{
    const DLGTEMPLATE* pTemplate = LoadTemplate();
    if (!pTemplate || m_hWnd) {
        return nullptr;
    }
    m_bModeless = true;
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), pTemplate, hWndOwner, DialogProc,
                                        reinterpret_cast<LPARAM>(this));
}

void CDialogBase::DestroyWindow() noexcept
{
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

// What reaches a dialog during a modal wait anyway (a command another
// program or a screen reader sends, the dialog manager's Enter and Escape in
// the window that shows the progress, a timer) must neither start a second
// exchange nor re-enter the first: commands, timers and menus are dropped,
// as Windows drops input to a disabled window; a close request is carried
// out once, after the wait. The wait cursor stays over what cannot be used.
bool CDialogBase::HoldsOff(UINT uMsg, WPARAM wParam, LPARAM lParam) const
{
    if (!CModalScope::IsOpen() || TakesDuringWait(uMsg, wParam)) {
        return false;
    }
    LONG_PTR nResult = 0;
    switch (uMsg) {
    case WM_COMMAND:
    case WM_TIMER:
    case WM_CONTEXTMENU:
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE) {
            return false;
        }
        CModalScope::CloseAfterwards(m_hWnd, uMsg, wParam, lParam);
        break;
    case WM_CLOSE:
        CModalScope::CloseAfterwards(m_hWnd, uMsg, wParam, lParam);
        break;
    case WM_SETCURSOR:
        // A disabled window's hit test: the system keeps the cursor and beeps at a click.
        if (static_cast<SHORT>(LOWORD(lParam)) == HTERROR) {
            return false;
        }
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        nResult = TRUE;
        break;
    default:
        return false;
    }
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, nResult);
    return true;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CDialogBase* pThis;
    if (uMsg == WM_INITDIALOG) {
        pThis = reinterpret_cast<CDialogBase*>(lParam);
        pThis->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    } else {
        pThis = reinterpret_cast<CDialogBase*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (!pThis) {
        return FALSE;
    }
    if (pThis->HoldsOff(uMsg, wParam, lParam)) {
        return TRUE;
    }
    bool bHandled = false;
    INT_PTR nResult = pThis->ProcessMessage(uMsg, wParam, lParam, bHandled);
    if (uMsg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        pThis->m_hWnd = nullptr;
    }
    return bHandled ? nResult : FALSE;
}

// Read as the control's own UTF-16: the ANSI code page would silently replace
// what it cannot represent, so the text checked and sent would not be the
// text the member typed.
CBstr CDialogBase::GetItemText(int nId) const
{
    HWND hItem = GetItem(nId);
    int cch = hItem ? ::GetWindowTextLengthW(hItem) : 0;
    if (cch <= 0) {
        return CBstr();
    }
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    int cchRead = ::GetWindowTextW(hItem, &text[0], cch + 1);
    CBstr bstrText(text.data(), static_cast<UINT>(cchRead > 0 ? cchRead : 0));
    // It may be the password.
    ::SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    return bstrText;
}

void CDialogBase::SetItemText(int nId, LPCWSTR pszText) const
{
    ::SetDlgItemTextW(m_hWnd, nId, pszText);
}

void CDialogBase::LimitItemText(int nId, int cchMax) const noexcept
{
    ::SendMessageW(GetItem(nId), EM_LIMITTEXT, static_cast<WPARAM>(cchMax), 0);
}

void CDialogBase::SetCaption(const CBstr& bstrText) const
{
    ::SetWindowTextW(m_hWnd, bstrText.c_str());
}

void CDialogBase::SetSmallIcon(HICON hIcon) const noexcept
{
    if (hIcon) {
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    }
}

int CDialogBase::ShowMessageBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) const
{
    return ::MessageBoxW(m_hWnd, pszText, pszCaption, uType);
}
