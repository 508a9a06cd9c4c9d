#include "ui/maindlg.h"

#include <cstdio>
#include <string>

#include "resource.h"
#include "ui/sendabletext.h"
#include "ui/sendsummarydlg.h"

// The message composer and Send Now...
namespace {

constexpr int kMaxMessageChars = 160;

}  // namespace

void CMainDlg::LimitMessage()
{
    LimitItemText(IDC_MESSAGE, kMaxMessageChars);
}

INT_PTR CMainDlg::OnMessageUpdate(WPARAM, LPARAM)
{
    UpdateCharsLeft();
    return TRUE;
}

void CMainDlg::UpdateCharsLeft()
{
    int nLength = static_cast<int>(GetItemText(IDC_MESSAGE).Length());
    char tLength[200];
    std::snprintf(tLength, sizeof(tLength), "%d", kMaxMessageChars - nLength);
    // The counter is also the message edit's label, with its access key.
    ::SetDlgItemTextA(m_hWnd, IDC_CHARS_LEFT,
                      (std::string("&Enter your message here (") + tLength + " chars left)...").c_str());
}

INT_PTR CMainDlg::OnSend(WPARAM, LPARAM)
{
    CBstr bstrMessage = GetItemText(IDC_MESSAGE);
    if (bstrMessage.IsEmpty() || bstrMessage.Length() > kMaxMessageChars) {
        ShowMessageBox("Please enter a message to send.", "No Message Entered");
        return TRUE;
    }
    if (!CheckSendable(m_hWnd, {&bstrMessage})) {
        return TRUE;
    }
    ClearSelection(false);
    std::vector<CContact*> selected = SelectedContacts();
    if (selected.empty()) {
        ShowMessageBox("Please select at least one contact.", "No Contact Selected");
        return TRUE;
    }
    for (CContact* pContact : selected) {
        pContact->m_bSelected = true;
    }

    CSendSummaryDlg sendDlg;
    sendDlg.SetContacts(m_contacts);
    sendDlg.SetMessage(bstrMessage);
    sendDlg.SetCredentials(m_bstrUserName, m_bstrPassword);
    sendDlg.SetContactCount(static_cast<int>(selected.size()));
    sendDlg.DoModal(::GetActiveWindow());
    if (sendDlg.IsSent()) {
        ClearSelection(true);
        SetItemText(IDC_MESSAGE, CBstr());
        UpdateCharsLeft();
        LoadDetails();
    }
    return TRUE;
}
