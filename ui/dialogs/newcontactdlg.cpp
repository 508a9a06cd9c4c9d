#include "ui/dialogs/newcontactdlg.h"

#include "base/handles.h"
#include "resource.h"
#include "ui/dialogs/internetaccessprogress.h"
#include "ui/dialogs/smallicon.h"
#include "ui/exchange/exchangeframe.h"
#include "ui/exchange/exchangeprogress.h"
#include "ui/exchange/exchangetexts.h"
#include "ui/exchange/sendabletext.h"

namespace {

constexpr int kMaxNameChars = 54;
constexpr int kMaxNumberChars = 20;

}  // namespace

CNewContactDlg::CNewContactDlg() : CDialogImpl<CNewContactDlg>(IDD_NEWCONTACT) {}

const CNewContactDlg::MessageMapEntry* CNewContactDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CNewContactDlg::OnInitDialog),
        OnCommand(IDOK, &CNewContactDlg::OnAdd),
        OnCommand(IDCANCEL, &CNewContactDlg::OnCancel),
        EndOfMap(),
    };
    return kMap;
}

void CNewContactDlg::SetCredentials(const CBstr& bstrUserName, const CSealedText& password)
{
    m_bstrUserName = bstrUserName;
    m_password = password;
}

INT_PTR CNewContactDlg::OnInitDialog(WPARAM, LPARAM)
{
    LimitItemText(IDC_FIRSTNAME, kMaxNameChars);
    LimitItemText(IDC_LASTNAME, kMaxNameChars);
    LimitItemText(IDC_NUMBER, kMaxNumberChars);
    SetSmallIcon(g_hSmallIcon.Get());
    return TRUE;
}

INT_PTR CNewContactDlg::OnAdd(WPARAM wParam, LPARAM)
{
    m_bAdded = false;
    if (!Validate() || !CheckSendable(m_hWnd, {&m_bstrFirstName, &m_bstrLastName, &m_bstrNumber})) {
        return TRUE;
    }
    if (AddContact()) {
        m_bAdded = true;
        EndDialog(LOWORD(wParam));
    } else if (m_bLoginFailed) {
        EndDialog(IDCANCEL);
    }
    return TRUE;
}

INT_PTR CNewContactDlg::OnCancel(WPARAM, LPARAM)
{
    m_bAdded = false;
    EndDialog(IDCANCEL);
    return TRUE;
}

bool CNewContactDlg::Validate()
{
    m_bstrFirstName = GetItemText(IDC_FIRSTNAME);
    m_bstrLastName = GetItemText(IDC_LASTNAME);
    m_bstrNumber = GetItemText(IDC_NUMBER);
    if (m_bstrFirstName.IsEmpty()) {
        ShowMessageBox(L"Please enter the first name of your contact.", L"Enter First Name");
        return false;
    }
    if (m_bstrNumber.IsEmpty()) {
        ShowMessageBox(L"Please enter the mobile phone number.", L"Enter Mobile Number");
        return false;
    }
    return true;
}

bool CNewContactDlg::AddContact()
{
    CExchangeProgress progress(m_hWnd);
    CExchangeFrame exchange(m_hWnd, &progress.Window());
    if (!exchange.Open()) {
        return false;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::AddContact, m_bstrUserName, m_password);
    info.SetField(L"fn", m_bstrFirstName);
    info.SetField(L"ln", m_bstrLastName);
    info.SetField(L"cn", m_bstrNumber);
    CommandResponse response;
    if (!exchange.Send(ServiceCommand::AddContact, info, L"Adding Contact...", response)) {
        return false;
    }
    return !response.IsNull() && ReportAnswer(ClassifyAnswer(ServiceCommand::AddContact, response.Text()));
}

// True when the contact was added.
bool CNewContactDlg::ReportAnswer(CommandAnswer answer)
{
    switch (answer) {
    case CommandAnswer::NotFound:
        ShowMessageBox(kNoServerText, kNoServerCaption);
        return false;
    case CommandAnswer::LoginFailed:
        m_bLoginFailed = true;
        return false;
    case CommandAnswer::UpdateRequired:
        ShowMessageBox(UpdateRequiredText(), kUpdateRequiredCaption);
        return false;
    case CommandAnswer::NoFirstName:
        ShowMessageBox(L"Please add the contact's First Name.", L"Contact Information Required");
        return false;
    case CommandAnswer::NoContactNumber:
        ShowMessageBox(L"Please add the contact's Mobile Number.", L"Contact Information Required");
        return false;
    case CommandAnswer::InvalidNumber:
        ShowMessageBox(L"The Mobile Number added appears to be invalid. Please check and try again.",
                       L"Contact Validation");
        return false;
    case CommandAnswer::Ok:
        ShowMessageBox(L"Thank you. Your contact has been added", L"Contact Added");
        return true;
    default:
        return false;
    }
}
