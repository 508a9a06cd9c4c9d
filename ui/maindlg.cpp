#include "ui/maindlg.h"

#include "net/servicehost.h"
#include "resource.h"
#include "ui/logindlg.h"

namespace {

constexpr int kMaxMessageChars = 160;
constexpr INT_PTR kEndLogout = 1;
constexpr INT_PTR kEndExit = 2;

}  // namespace

CMainDlg::CMainDlg() : CDialogImpl<CMainDlg>(IDD_MAIN) {}

const CMainDlg::MessageMapEntry* CMainDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CMainDlg::OnInitDialog),
        OnCommand(IDOK, &CMainDlg::OnLogout),
        OnCommand(IDCANCEL, &CMainDlg::OnExit),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CMainDlg::OnInitDialog(WPARAM, LPARAM)
{
    LimitItemText(IDC_MESSAGE, kMaxMessageChars);
    EnableItem(IDC_DELETE, false);
    SetSmallIcon(g_hSmallIcon.Get());
    CBstr bstrCaption(L"Quillbay Console - ");
    bstrCaption += kClientVersion;
    SetCaption(bstrCaption);
    return TRUE;
}

INT_PTR CMainDlg::OnLogout(WPARAM, LPARAM)
{
    m_bLogout = true;
    EndDialog(kEndLogout);
    return TRUE;
}

INT_PTR CMainDlg::OnExit(WPARAM, LPARAM)
{
    if (ShowMessageBox("Exit?", "Exit Quillbay Console?", MB_YESNO) == IDYES) {
        EndDialog(kEndExit);
    }
    return TRUE;
}
