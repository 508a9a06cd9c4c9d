#include "ui/console/maindlg.h"

#include "base/messagewait.h"
#include "net/servicehost.h"
#include "resource.h"
#include "ui/dialogs/smallicon.h"
#include "ui/system/browserlaunch.h"
#include "ui/system/logonend.h"

namespace {

constexpr INT_PTR kEndLogout = 1;
constexpr INT_PTR kEndExit = 2;

}  // namespace

// The console's frame: its message map, start and end, Logout, Exit, Refresh,
// Buy and the list's selection. The other commands have files of their own:
// maindlgdetails (the details load), maindlgsend, maindlgadddelete and
// maindlglayout.
CMainDlg::CMainDlg() : CDialogImpl<CMainDlg>(IDD_MAIN) {}

const CMainDlg::MessageMapEntry* CMainDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CMainDlg::OnInitDialog),
        OnCommand(IDOK, &CMainDlg::OnLogout),
        OnCommand(IDCANCEL, &CMainDlg::OnExit),
        OnMessage(WM_QUERYENDSESSION, &CMainDlg::OnQueryEndSession),
        OnMessage(WM_ENDSESSION, &CMainDlg::OnEndSession),
        OnMessage(WM_SIZE, &CMainDlg::OnSize),
        OnMessage(WM_SIZING, &CMainDlg::OnSizing),
        OnMessage(WM_GETMINMAXINFO, &CMainDlg::OnGetMinMaxInfo),
        OnMessage(WM_DPICHANGED, &CMainDlg::OnDpiChanged),
        OnMessage(WM_DESTROY, &CMainDlg::OnDestroy),
        OnCommand(IDC_MESSAGE, EN_UPDATE, &CMainDlg::OnMessageUpdate),
        OnCommand(IDC_SEND, BN_CLICKED, &CMainDlg::OnSend),
        OnCommand(IDC_REFRESH, BN_CLICKED, &CMainDlg::OnRefresh),
        OnCommand(IDC_ADDNEW, BN_CLICKED, &CMainDlg::OnAddNew),
        OnCommand(IDC_CONTACTS, LBN_SELCHANGE, &CMainDlg::OnContactsSelChange),
        OnCommand(IDC_DELETE, BN_CLICKED, &CMainDlg::OnDelete),
        OnCommand(IDC_BUY, BN_CLICKED, &CMainDlg::OnBuy),
        OnMessage(WM_CONTEXTMENU, &CMainDlg::OnContextMenu),
        OnMessage(WM_DROPFILES, &CMainDlg::OnDropFiles),
        OnCommand(ID_CONTACTS_SELECTALL, &CMainDlg::OnSelectAll),
        OnCommand(ID_CONTACTS_COPY, &CMainDlg::OnCopy),
        OnCommand(ID_CONTACTS_IMPORT, &CMainDlg::OnImport),
        OnCommand(ID_CONTACTS_EXPORT, &CMainDlg::OnExport),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CMainDlg::OnInitDialog(WPARAM, LPARAM)
{
    // Looked up once: under Wine every lookup of a control is a round trip
    // to the server, and the list is sent a message for every row.
    m_hContacts = GetItem(IDC_CONTACTS);
    InitLayout();
    LimitMessage();
    EnableItem(IDC_DELETE, false);
    InitContactsCommands();
    SetSmallIcon(g_hSmallIcon.Get());
    CBstr bstrCaption(L"Quillbay Console - ");
    bstrCaption += kClientVersion;
    SetCaption(bstrCaption);
    LoadDetails();
    return TRUE;
}

INT_PTR CMainDlg::OnLogout(WPARAM, LPARAM)
{
    m_bLogout = true;
    EndDialog(kEndLogout);
    return TRUE;
}

// The Restart Manager may still close the console after the logon session ended.
INT_PTR CMainDlg::OnExit(WPARAM, LPARAM)
{
    if (IsLogonEnding()) {
        EndDialog(kEndExit);
        return TRUE;
    }
    if (ShowMessageBox(L"Exit?", L"Exit Quillbay Console?", MB_YESNO) == IDYES) {
        EndDialog(kEndExit);
    }
    return TRUE;
}

// Nothing here needs the member's say before a logoff, a shutdown or an upgrade.
INT_PTR CMainDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// The session ends whatever the reason (the Restart Manager's ENDSESSION_CLOSEAPP,
// a logoff, a shutdown), and the process may be ended as soon as this returns: the
// placement is stored here, once, and every window closes without asking "Exit?".
INT_PTR CMainDlg::OnEndSession(WPARAM wParam, LPARAM)
{
    if (wParam && !m_bLogonEnded) {
        SaveLayout();
        m_bLogonEnded = true;
        CarryOutLogonEnd();
    }
    return TRUE;
}

INT_PTR CMainDlg::OnDestroy(WPARAM, LPARAM)
{
    if (!m_bLogonEnded) {
        SaveLayout();
    }
    ClearContacts();
    m_hContacts = nullptr;
    return FALSE;
}

INT_PTR CMainDlg::OnRefresh(WPARAM, LPARAM)
{
    LoadDetails();
    return TRUE;
}

INT_PTR CMainDlg::OnBuy(WPARAM, LPARAM)
{
    CBstr bstrUrl(L"https://");
    bstrUrl += CBstr::FromAnsi(kServiceHost);
    bstrUrl += L"/pages/member/quillbay/user/pay/memberpage_payment.php";
    OpenUrlInBrowser(m_hWnd, bstrUrl);
    return TRUE;
}

LRESULT CMainDlg::SendToList(UINT uMsg, WPARAM wParam, LPARAM lParam) const
{
    // Wide: the rows go in and come out as the list's own UTF-16.
    return ::SendMessageW(m_hContacts, uMsg, wParam, lParam);
}

INT_PTR CMainDlg::OnContactsSelChange(WPARAM, LPARAM)
{
    EnableItem(IDC_DELETE, SendToList(LB_GETSELCOUNT, 0, 0) > 0);
    return TRUE;
}

// The records of the selected rows in ascending row order; empty when none is
// selected or the list reports an error.
std::vector<CContact*> CMainDlg::SelectedContacts() const
{
    LRESULT nCount = SendToList(LB_GETSELCOUNT, 0, 0);
    if (nCount == LB_ERR || nCount <= 0) {
        return {};
    }
    std::vector<int> rows(static_cast<size_t>(nCount));
    LRESULT nGot = SendToList(LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
    std::vector<CContact*> contacts;
    for (LRESULT i = 0; i < nGot; ++i) {
        size_t nRow = static_cast<size_t>(rows[static_cast<size_t>(i)]);
        if (nRow < m_contacts.size()) {
            contacts.push_back(m_contacts[nRow].get());
        }
    }
    return contacts;
}

void CMainDlg::ClearSelection(bool bDeselect)
{
    for (const auto& pContact : m_contacts) {
        pContact->m_bSelected = false;
    }
    if (bDeselect && SendToList(LB_GETCOUNT, 0, 0) != LB_ERR) {
        SendToList(LB_SETSEL, FALSE, -1);
    }
}

