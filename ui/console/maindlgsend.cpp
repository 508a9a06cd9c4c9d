#include "ui/console/maindlg.h"

#include <string>

#include "resource.h"
#include "ui/dialogs/sendsummarydlg.h"
#include "ui/exchange/sendabletext.h"

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
    // The counter is also the message edit's label, with its access key.
    const std::wstring text = L"&Enter your message here (" + std::to_wstring(kMaxMessageChars - nLength) +
                              L" chars left)...";
    SetItemText(IDC_CHARS_LEFT, text.c_str());
}

INT_PTR CMainDlg::OnSend(WPARAM, LPARAM)
{
    CBstr bstrMessage = GetItemText(IDC_MESSAGE);
    if (bstrMessage.IsEmpty() || bstrMessage.Length() > kMaxMessageChars) {
        ShowMessageBox(L"Please enter a message to send.", L"No Message Entered");
        return TRUE;
    }
    if (!CheckSendable(m_hWnd, {&bstrMessage})) {
        return TRUE;
    }
    ClearSelection(false);
    std::vector<CContact*> selected = SelectedContacts();
    if (selected.empty()) {
        ShowMessageBox(L"Please select at least one contact.", L"No Contact Selected");
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
        SetItemText(IDC_MESSAGE, L"");
        UpdateCharsLeft();
        LoadDetails();
    }
    return TRUE;
}
