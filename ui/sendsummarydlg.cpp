#include "ui/sendsummarydlg.h"

#include <cstdio>

#include "resource.h"
#include "ui/exchangeui.h"
#include "ui/logindlg.h"
#include "ui/serviceexchange.h"

CSendSummaryDlg::CSendSummaryDlg() : CDialogImpl<CSendSummaryDlg>(IDD_SENDSUMMARY) {}

const CSendSummaryDlg::MessageMapEntry* CSendSummaryDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CSendSummaryDlg::OnInitDialog),
        OnCommand(IDOK, &CSendSummaryDlg::OnSendNow),
        OnCommand(IDCANCEL, &CSendSummaryDlg::OnCancel),
        EndOfMap(),
    };
    return kMap;
}

void CSendSummaryDlg::SetContacts(const std::vector<std::unique_ptr<CContact>>& contacts)
{
    m_contacts.clear();
    for (const auto& pContact : contacts) {
        m_contacts.push_back(pContact.get());
    }
}

void CSendSummaryDlg::SetCredentials(const CBstr& bstrUserName, const CBstr& bstrPassword)
{
    m_bstrUserName = bstrUserName;
    m_bstrPassword = bstrPassword;
}

INT_PTR CSendSummaryDlg::OnInitDialog(WPARAM, LPARAM)
{
    char tLength[200];
    std::snprintf(tLength, sizeof(tLength), "%d", m_nContacts);
    ::SetDlgItemTextA(m_hWnd, IDC_SUMMARY_TEXT,
                      (std::string("To send this message to the ") + tLength +
                       " contacts selected, click the 'Send Now...' button below:")
                          .c_str());
    SetSmallIcon(g_hSmallIcon.Get());
    return TRUE;
}

INT_PTR CSendSummaryDlg::OnCancel(WPARAM, LPARAM)
{
    EndDialog(IDCANCEL);
    return TRUE;
}

// The buttons and the sending state share one place: the bar lies over
// "Send Now..." and the status between the two buttons. The focus moves to
// what shows before the rest hides: to the bar while sending, back to
// "Send Now..." after an attempt that left the summary open.
void CSendSummaryDlg::ShowButtons(bool bShow)
{
    int nFocus = bShow ? IDOK : IDC_SEND_PROGRESS;
    int nPartner = bShow ? IDCANCEL : IDC_SEND_STATUS;
    ShowItem(nFocus, true);
    ShowItem(nPartner, true);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetItem(nFocus)), TRUE);
    ShowItem(bShow ? IDC_SEND_PROGRESS : IDOK, false);
    ShowItem(bShow ? IDC_SEND_STATUS : IDCANCEL, false);
    // Shown now, before the exchange: it paints during it, but only what is already there.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

CBstr CSendSummaryDlg::ContactNumberList() const
{
    // Joined by position: a record without a number still takes its place.
    CBstr bstrContactNumberList;
    bool bFirst = true;
    for (const CContact* pContact : m_contacts) {
        if (pContact->m_bSelected) {
            if (!bFirst) {
                bstrContactNumberList += L",";
            }
            bFirst = false;
            bstrContactNumberList += pContact->m_bstrNumber;
        }
    }
    return bstrContactNumberList;
}

INT_PTR CSendSummaryDlg::OnSendNow(WPARAM wParam, LPARAM)
{
    m_bClose = false;
    ShowButtons(false);
    CServiceExchange exchange(m_hWnd, nullptr);
    exchange.TellUnknownOutcome();
    if (!exchange.Open()) {
        ShowButtons(true);
        return TRUE;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::Send, m_bstrUserName, m_bstrPassword);
    info.SetField(L"message", m_bstrMessage);
    info.SetField(L"cn", ContactNumberList());
    SetItemText(IDC_SEND_STATUS, CBstr(L"Internet Connection Made..."));
    ::UpdateWindow(GetItem(IDC_SEND_STATUS));

    CommandResponse response;
    if (exchange.Send(ServiceCommand::Send, info, nullptr, response) && !response.IsNull()) {
        ReportAnswer(ClassifyAnswer(ServiceCommand::Send, response.Text()), response.Text());
    }
    ShowButtons(true);
    if (m_bClose) {
        EndDialog(LOWORD(wParam));
    }
    return TRUE;
}

void CSendSummaryDlg::ReportAnswer(CommandAnswer answer, const char* pszAnswer)
{
    switch (answer) {
    case CommandAnswer::NotFound:
        ShowMessageBox(kNoServerText, kNoServerCaption);
        break;
    case CommandAnswer::InvalidContact:
        ShowMessageBox("The contact number: " + InvalidContactNumber(pszAnswer) +
                           " seems to be invalid. Please check and try again.",
                       "Contact Validation Error");
        break;
    case CommandAnswer::NoCredit:
    case CommandAnswer::NotEnoughCredit:
        ShowMessageBox("Please log in to your Quillbay account to top up your credit.", "Not Enough Credit");
        break;
    case CommandAnswer::CannotProvide:
        ShowMessageBox("Quillbay cannot currently provide this service. Please try again later.",
                       "Quillbay - Cannot Provide");
        break;
    case CommandAnswer::Sent:
        ShowMessageBox("Thank you. your message is being sent.", "Sent Message");
        m_bClose = true;
        m_bSent = true;
        break;
    default:
        break;
    }
}
