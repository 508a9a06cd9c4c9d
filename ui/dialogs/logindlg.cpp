#include "ui/dialogs/logindlg.h"

#include <cwchar>
#include <string>

#include "net/servicehost.h"
#include "resource.h"
#include "ui/dialogs/smallicon.h"
#include "ui/exchange/sendabletext.h"
#include "ui/layout/dpi.h"
#include "ui/system/browserlaunch.h"
#include "ui/system/logonend.h"

namespace {

constexpr int kMaxEmailChars = 100;
constexpr int kMaxPasswordChars = 50;

}  // namespace

CLoginDlg::CLoginDlg() : CDialogImpl<CLoginDlg>(IDD_LOGIN) {}

const CLoginDlg::MessageMapEntry* CLoginDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CLoginDlg::OnInitDialog),
        OnCommand(IDOK, &CLoginDlg::OnOK),
        OnCommand(IDCANCEL, &CLoginDlg::OnCancel),
        OnMessage(WM_QUERYENDSESSION, &CLoginDlg::OnQueryEndSession),
        OnMessage(WM_ENDSESSION, &CLoginDlg::OnEndSession),
        OnCommand(IDC_REGISTER, BN_CLICKED, &CLoginDlg::OnRegister),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CLoginDlg::OnInitDialog(WPARAM, LPARAM)
{
    m_bCancelled = true;
    if (m_bShowLoginFailed) {
        ShowMessageBox(L"Login Failed - Please try again.", L"Details");
    }
    g_hSmallIcon.Reset(LoadIconForDpi(IDI_ORVEXAPP, SM_CXSMICON, SM_CYSMICON, DpiOfWindow(m_hWnd)));
    LimitItemText(IDC_EMAIL, kMaxEmailChars);
    LimitItemText(IDC_PASSWORD, kMaxPasswordChars);
    SetSmallIcon(g_hSmallIcon.Get());

    CBstr bstrWindowText(L"Quillbay - ");
    bstrWindowText += kClientVersion;
    bstrWindowText += L" - Login";
    SetCaption(bstrWindowText);
    return TRUE;
}

INT_PTR CLoginDlg::OnOK(WPARAM wParam, LPARAM)
{
    m_bCancelled = false;
    m_bstrUserName = GetItemText(IDC_EMAIL);
    const CBstr bstrPassword = GetItemText(IDC_PASSWORD);
    if (m_bstrUserName.IsEmpty() || bstrPassword.IsEmpty()) {
        ShowMessageBox(L"Please enter your email address and password.", L"Details");
        return TRUE;
    }
    // Searched in the wide text, where no byte of another character can match.
    const wchar_t* pszEmail = m_bstrUserName.c_str();
    if (!std::wcschr(pszEmail, L'@') || !std::wcschr(pszEmail, L'.')) {
        ShowMessageBox(L"The Email address entered does not appear valid.", L"Invalid Email");
        return TRUE;
    }
    if (CheckSendable(m_hWnd, {&m_bstrUserName}) && CheckSendablePassword(m_hWnd, bstrPassword)) {
        m_password = CSealedText(bstrPassword);
        ClearPasswordField();
        EndDialog(LOWORD(wParam));
    }
    return TRUE;
}

INT_PTR CLoginDlg::OnCancel(WPARAM wParam, LPARAM)
{
    m_bCancelled = true;
    ClearPasswordField();
    EndDialog(LOWORD(wParam));
    return TRUE;
}

// The edit keeps its text in a buffer of its own until the dialog goes: a
// text of the same length takes the password's place in it first.
void CLoginDlg::ClearPasswordField()
{
    const int cch = ::GetWindowTextLengthW(GetItem(IDC_PASSWORD));
    if (cch > 0) {
        SetItemText(IDC_PASSWORD, std::wstring(static_cast<size_t>(cch), L' ').c_str());
    }
    SetItemText(IDC_PASSWORD, L"");
}

INT_PTR CLoginDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// A logoff, a shutdown or the Restart Manager: the member's session ends as after Cancel.
INT_PTR CLoginDlg::OnEndSession(WPARAM wParam, LPARAM)
{
    if (wParam) {
        m_bCancelled = true;
        CarryOutLogonEnd();
    }
    return TRUE;
}

INT_PTR CLoginDlg::OnRegister(WPARAM, LPARAM)
{
    // A new member types a password on that page: TLS, like every page the program opens.
    CBstr bstrUrl(L"https://");
    bstrUrl += CBstr::FromAnsi(kServiceHost);
    bstrUrl += L"/pages/member/quillbay/register/register.php";
    OpenUrlInBrowser(m_hWnd, bstrUrl);
    return TRUE;
}
