#include "ui/dialogs/internetaccessprogress.h"

#include <commctrl.h>

#include "resource.h"

namespace {

constexpr int kInitialRange = 100;

}  // namespace

CInternetAccessProgress::CInternetAccessProgress() : CDialogImpl<CInternetAccessProgress>(IDD_PROGRESS) {}

const CInternetAccessProgress::MessageMapEntry* CInternetAccessProgress::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CInternetAccessProgress::OnInitDialog),
        OnCommand(IDOK, 0, &CInternetAccessProgress::OnEndCommand),
        OnCommand(IDCANCEL, 0, &CInternetAccessProgress::OnEndCommand),
        EndOfMap(),
    };
    return kMap;
}

CInternetAccessProgress::~CInternetAccessProgress() { Close(); }

INT_PTR CInternetAccessProgress::OnInitDialog(WPARAM, LPARAM)
{
    CentreInWorkArea();
    SendToBar(PBM_SETRANGE, 0, MAKELPARAM(0, kInitialRange));
    SendToBar(PBM_SETSTEP, 1, 0);
    SetPosition(0);
    return TRUE;
}

INT_PTR CInternetAccessProgress::OnEndCommand(WPARAM wParam, LPARAM)
{
    EndDialog(LOWORD(wParam));
    return TRUE;
}

void CInternetAccessProgress::ShowNow()
{
    if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_SHOW);
        RepaintNow();
    }
}

void CInternetAccessProgress::SetRange(WORD nMax)
{
    if (m_hWnd) {
        SendToBar(PBM_SETRANGE, 0, MAKELPARAM(0, nMax));
    }
}

void CInternetAccessProgress::SetStatusText(const CBstr& bstrText)
{
    if (m_hWnd) {
        SetItemText(IDC_PROGRESS_TEXT, bstrText);
    }
}

void CInternetAccessProgress::Step()
{
    if (m_hWnd) {
        SendToBar(PBM_STEPIT, 0, 0);
        RepaintNow();
    }
}

void CInternetAccessProgress::SetPosition(int nPosition)
{
    if (m_hWnd) {
        SendToBar(PBM_SETPOS, static_cast<WPARAM>(nPosition), 0);
        RepaintNow();
    }
}

void CInternetAccessProgress::Close() { DestroyWindow(); }

LRESULT CInternetAccessProgress::SendToBar(UINT uMsg, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageW(m_hWnd, IDC_PROGRESS_BAR, uMsg, wParam, lParam);
}

// The template asks for centring, but the dialog manager may centre on the
// whole screen or on the owner's monitor; the work area is what we want.
void CInternetAccessProgress::CentreInWorkArea() const
{
    RECT rcWork = {};
    RECT rcWindow = {};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0) || !::GetWindowRect(m_hWnd, &rcWindow)) {
        return;
    }
    int x = rcWork.left + (rcWork.right - rcWork.left - (rcWindow.right - rcWindow.left)) / 2;
    int y = rcWork.top + (rcWork.bottom - rcWork.top - (rcWindow.bottom - rcWindow.top)) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInternetAccessProgress::RepaintNow() const
{
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    // Wine leaves the children of a parent that does not clip them for the
    // next message loop: paint what is still pending, the bar included. Where
    // everything was painted already this does nothing.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine also keeps fresh paint off the screen until the thread next looks at
    // its queue. A look that takes no time hands it over and runs no message.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}
