#include "ui/console/maindlg.h"

#include "resource.h"
#include "ui/dialogs/newcontactdlg.h"
#include "ui/exchange/exchangeframe.h"
#include "ui/exchange/exchangeprogress.h"
#include "ui/exchange/exchangetexts.h"

// The commands that change the contact list: Add New and Delete.
INT_PTR CMainDlg::OnAddNew(WPARAM, LPARAM)
{
    CNewContactDlg dlg;
    dlg.SetCredentials(m_bstrUserName, m_bstrPassword);
    dlg.DoModal(::GetActiveWindow());
    // Refused credentials are checked again by the reload, which ends the
    // console for a new sign-in if they are refused there too.
    if (dlg.IsAdded() || dlg.IsLoginFailed()) {
        LoadDetails();
    }
    return TRUE;
}

INT_PTR CMainDlg::OnDelete(WPARAM, LPARAM)
{
    std::vector<CContact*> selected = SelectedContacts();
    if (selected.empty()) {
        ShowMessageBox(L"Please select at least one contact.", L"No Contact Selected");
        return TRUE;
    }
    // Joined by position: a record without an id still takes its place.
    CBstr bstrDeleteList;
    for (size_t i = 0; i < selected.size(); ++i) {
        if (i > 0) {
            bstrDeleteList += L",";
        }
        bstrDeleteList += selected[i]->m_bstrId;
    }
    if (ShowMessageBox(L"Delete Contact(s)?", L"Delete Contact(s)", MB_YESNO) != IDYES) {
        return TRUE;
    }
    DeleteContacts(bstrDeleteList);
    EnableItem(IDC_DELETE, false);
    return TRUE;
}

bool CMainDlg::DeleteContacts(const CBstr& bstrDeleteList)
{
    bool bReload;
    {
        CExchangeProgress progress(m_hWnd);
        bReload = RequestDeletion(progress.Window(), bstrDeleteList);
    }
    // The list is rebuilt from the service after every attempt, unless the
    // request went out and no answer came back.
    return bReload && LoadDetails();
}

// Whether the details are to be reloaded afterwards.
bool CMainDlg::RequestDeletion(CInternetAccessProgress& dlgProgress, const CBstr& bstrDeleteList)
{
    CExchangeFrame exchange(m_hWnd, &dlgProgress);
    if (!exchange.Open()) {
        return true;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::DeleteContacts, m_bstrUserName, m_bstrPassword);
    info.SetField(L"cl", bstrDeleteList);
    CommandResponse response;
    if (!exchange.Send(ServiceCommand::DeleteContacts, info, L"Deleting Contact(s)...", response)) {
        return false;
    }
    if (!response.IsNull()) {
        ReportDeletion(ClassifyAnswer(ServiceCommand::DeleteContacts, response.Text()));
    }
    return true;
}

void CMainDlg::ReportDeletion(CommandAnswer answer)
{
    switch (answer) {
    case CommandAnswer::NotFound:
        ShowMessageBox(kNoServerText, kNoServerCaption);
        break;
    case CommandAnswer::LoginFailed:
        // Kept for the session loop; the reload decides whether the console ends.
        m_bLoginFailed = true;
        break;
    case CommandAnswer::UpdateRequired:
        ShowMessageBox(UpdateRequiredText(), kUpdateRequiredCaption);
        break;
    case CommandAnswer::NoContacts:
        ShowMessageBox(L"Please select a contact to remove.", L"No Contact Selected");
        break;
    default:
        break;
    }
}
