#include "ui/dialogs/sendsummarydlg.h"

#include <string>

#include "resource.h"
#include "ui/dialogs/smallicon.h"
#include "ui/exchange/exchangeframe.h"
#include "ui/exchange/exchangetexts.h"

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

void CSendSummaryDlg::SetCredentials(const CBstr& bstrUserName, const CSealedText& password)
{
    m_bstrUserName = bstrUserName;
    m_password = password;
}

INT_PTR CSendSummaryDlg::OnInitDialog(WPARAM, LPARAM)
{
    const std::wstring text = L"To send this message to the " + std::to_wstring(m_nContacts) +
                              L" contacts selected, click the 'Send Now...' button below:";
    SetItemText(IDC_SUMMARY_TEXT, text.c_str());
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
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetItem(nFocus)), TRUE);
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
    CExchangeFrame exchange(m_hWnd, nullptr);
    exchange.TellUnknownOutcome();
    if (!exchange.Open()) {
        ShowButtons(true);
        return TRUE;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::Send, m_bstrUserName, m_password);
    info.SetField(L"message", m_bstrMessage);
    info.SetField(L"cn", ContactNumberList());
    SetItemText(IDC_SEND_STATUS, L"Internet Connection Made...");
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
        // The number is answer text, in the thread's code page like every answer.
        ShowMessageBox(CBstr(L"The contact number: ") + CBstr::FromAnsi(InvalidContactNumber(pszAnswer).c_str()) +
                           L" seems to be invalid. Please check and try again.",
                       L"Contact Validation Error");
        break;
    case CommandAnswer::NoCredit:
    case CommandAnswer::NotEnoughCredit:
        ShowMessageBox(L"Please log in to your Quillbay account to top up your credit.", L"Not Enough Credit");
        break;
    case CommandAnswer::CannotProvide:
        ShowMessageBox(L"Quillbay cannot currently provide this service. Please try again later.",
                       L"Quillbay - Cannot Provide");
        break;
    case CommandAnswer::Sent:
        ShowMessageBox(L"Thank you. your message is being sent.", L"Sent Message");
        m_bClose = true;
        m_bSent = true;
        break;
    default:
        break;
    }
}
