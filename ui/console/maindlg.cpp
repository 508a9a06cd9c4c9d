#include "ui/console/maindlg.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/messagewait.h"
#include "base/modalscope.h"
#include "net/servicehost.h"
#include "resource.h"
#include "ui/contactsio/addressbookdialogs.h"
#include "ui/contactsio/contactsexport.h"
#include "ui/contactsio/contactsimport.h"
#include "ui/contactsio/contactsmenu.h"
#include "ui/dialogs/newcontactdlg.h"
#include "ui/dialogs/sendsummarydlg.h"
#include "ui/dialogs/smallicon.h"
#include "ui/exchange/exchangeframe.h"
#include "ui/exchange/exchangeprogress.h"
#include "ui/exchange/exchangetexts.h"
#include "ui/exchange/sendabletext.h"
#include "ui/system/browserlaunch.h"
#include "ui/system/logonend.h"
#include "xml/xmlstream.h"

namespace {

constexpr INT_PTR kEndFailedLoad = 0;
constexpr INT_PTR kEndLogout = 1;
constexpr INT_PTR kEndExit = 2;
constexpr int kMaxMessageChars = 160;
// An idle console takes a drop at once; one that waited longer came while it was busy.
constexpr DWORD kLongestDropWaitMs = 1000;

std::u16string ToU16(LPCWSTR psz) { return std::u16string(reinterpret_cast<const char16_t*>(psz)); }

std::vector<ExportContact> ToExport(const std::vector<CContact*>& contacts)
{
    std::vector<ExportContact> out;
    out.reserve(contacts.size());
    for (const CContact* pContact : contacts) {
        out.push_back({ToU16(pContact->m_bstrFirstName), ToU16(pContact->m_bstrLastName),
                       ToU16(pContact->m_bstrNumber)});
    }
    return out;
}

}  // namespace

// The frame: start and end, Logout, Exit, Refresh, Buy and the selection.
CMainDlg::CMainDlg() : CDialogImpl<CMainDlg>(IDD_MAIN), m_layout(m_grip) {}

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
        OnCommand(ID_CONTACTS_PASTE, &CMainDlg::OnPaste),
        OnCommand(ID_CONTACTS_EXPORT, &CMainDlg::OnExport),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CMainDlg::OnInitDialog(WPARAM, LPARAM)
{
    m_list.Attach(GetItem(IDC_CONTACTS));
    m_layout.Init(m_hWnd);
    LimitItemText(IDC_MESSAGE, kMaxMessageChars);
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
        m_layout.Save();
        m_bLogonEnded = true;
        CarryOutLogonEnd();
    }
    return TRUE;
}

INT_PTR CMainDlg::OnDestroy(WPARAM, LPARAM)
{
    if (!m_bLogonEnded) {
        m_layout.Save();
    }
    ClearContacts();
    m_list.Attach(nullptr);
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

INT_PTR CMainDlg::OnContactsSelChange(WPARAM, LPARAM)
{
    EnableItem(IDC_DELETE, m_list.AnySelected());
    return TRUE;
}

// The records of the selected rows in ascending row order; empty when none is
// selected or the list reports an error.
std::vector<CContact*> CMainDlg::SelectedContacts() const
{
    std::vector<CContact*> contacts;
    for (size_t nRow : m_list.SelectedRows()) {
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
    if (bDeselect) {
        m_list.DeselectAll();
    }
}

INT_PTR CMainDlg::OnSize(WPARAM, LPARAM)
{
    m_layout.Follow();
    return FALSE;
}

INT_PTR CMainDlg::OnSizing(WPARAM, LPARAM lParam)
{
    m_layout.KeepMinimum(*reinterpret_cast<RECT*>(lParam));
    return TRUE;
}

INT_PTR CMainDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    m_layout.KeepMinimum(*reinterpret_cast<MINMAXINFO*>(lParam));
    return TRUE;
}

// Returns FALSE so that the dialog manager still gives the controls the fonts
// of the new scale.
INT_PTR CMainDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    m_layout.ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return FALSE;
}

// The details load: one exchange, its answer parsed into the contact records
// and the credit label, and the list filled from the records once the answer
// is gone.
void CMainDlg::ClearContacts()
{
    m_contacts.clear();
    m_collector.Clear();
    m_contactText.Clear();
    m_list.Clear();
}

void CMainDlg::UpdateCredits()
{
    CBstr bstrText(L"You have: ");
    bstrText += m_bstrCredits;
    bstrText += L" credits. Buy more here...";
    SetItemText(IDC_CREDITS, bstrText);
}

bool CMainDlg::LoadDetails()
{
    // A failed load ends the console only once its exchange is over: internet session
    // closed, progress window closed, cursor restored.
    if (!FetchDetails()) {
        EndDialog(kEndFailedLoad);
        return false;
    }
    return true;
}

// False when the console is to end.
bool CMainDlg::FetchDetails()
{
    CExchangeProgress progress(nullptr);
    ClearContacts();

    CExchangeFrame exchange(m_hWnd, &progress.Window());
    if (!exchange.Open()) {
        return false;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::GetInformation, m_bstrUserName, m_password);
    CommandResponse response;
    if (!exchange.Send(ServiceCommand::GetInformation, info, L"Loading Details...", response)) {
        return false;
    }
    if (response.IsNull()) {
        return true;
    }
    switch (ClassifyAnswer(ServiceCommand::GetInformation, response.Text())) {
    case CommandAnswer::NotFound:
        ShowMessageBox(kNoServerText, kNoServerCaption);
        return false;
    case CommandAnswer::LoginFailed:
        m_bLoginFailed = true;
        return false;
    case CommandAnswer::UpdateRequired:
        m_bUpdateRequired = true;
        return false;
    default:
        break;
    }
    progress.Window().Step();
    GatherContacts(response.Text());
    // The answer goes before the list makes its own copy of every row, so
    // the two are never held together.
    response = CommandResponse();
    ListContacts();
    progress.Window().Step();
    return true;
}

void CMainDlg::GatherContacts(const char* pszDocument)
{
    const size_t cbDocument = std::strlen(pszDocument);
    m_collector.ReserveFor(pszDocument, cbDocument);
    CXmlStream xmlStream;
    xmlStream.SetReceiver(this);
    xmlStream.ParseDocument(pszDocument, static_cast<int>(cbDocument));
    m_collector.Finish();
}

void CMainDlg::ListContacts()
{
    const std::vector<size_t> refused = m_list.Fill(m_collector);
    // A record stays only with its row, so that row i keeps record i.
    m_contacts = m_collector.TakeRecords();
    for (size_t nRow : refused) {
        m_contacts[nRow].reset();
    }
    m_contacts.erase(std::remove(m_contacts.begin(), m_contacts.end(), nullptr), m_contacts.end());
}

bool CMainDlg::OnFoundNode(const char*, const char*)
{
    m_collector.OnNode();
    return true;
}

bool CMainDlg::OnFoundElement(const char* pszName, const char* pszValue, const char*)
{
    if (std::strcmp(pszName, "credits") == 0) {
        m_bstrCredits = CBstr::FromAnsi(pszValue);
        UpdateCredits();
    } else {
        m_collector.OnElement(pszName, pszValue);
    }
    return true;
}

// The message composer and Send Now...
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
    sendDlg.SetCredentials(m_bstrUserName, m_password);
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

// The commands that change the contact list: Add New and Delete.
INT_PTR CMainDlg::OnAddNew(WPARAM, LPARAM)
{
    CNewContactDlg dlg;
    dlg.SetCredentials(m_bstrUserName, m_password);
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
    SetCommonFields(info, ServiceCommand::DeleteContacts, m_bstrUserName, m_password);
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

// The contact list as every Windows list: its keys and context menu, Copy;
// and the address book in and out: Import (menu, a dropped file or Paste) and
// Export.
void CMainDlg::InitContactsCommands()
{
    m_listKeys.Attach(m_hWnd, m_list.Hwnd());
    ::DragAcceptFiles(m_hWnd, TRUE);
}

INT_PTR CMainDlg::OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(wParam) != m_list.Hwnd()) {
        return FALSE;
    }
    const POINT pt = lParam == -1 ? ContactsMenuPointUnderSelection(m_list.Hwnd())
                                  : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int nCommand = TrackContactsMenu(m_hWnd, pt, m_list.AnySelected());
    if (nCommand != 0) {
        ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(nCommand, BN_CLICKED), 0);
    }
    return TRUE;
}

// LB_SETSEL sends no selection-change notice: what it would update is updated here.
INT_PTR CMainDlg::OnSelectAll(WPARAM, LPARAM)
{
    m_list.SelectAll();
    return OnContactsSelChange(0, 0);
}

INT_PTR CMainDlg::OnCopy(WPARAM, LPARAM)
{
    CopyContacts(m_hWnd, ToExport(SelectedContacts()));
    return TRUE;
}

INT_PTR CMainDlg::OnImport(WPARAM, LPARAM)
{
    std::wstring path;
    if (AskAddressBookToOpen(m_hWnd, path)) {
        ImportFile(path.c_str());
    }
    return TRUE;
}

// One address book dropped on the console, unless a dialog or an exchange is
// open: the console is disabled, its thread waits for an exchange, or the drop
// waited in the queue until an exchange was over.
INT_PTR CMainDlg::OnDropFiles(WPARAM wParam, LPARAM)
{
    const DWORD dwQueuedMs = ::GetTickCount() - static_cast<DWORD>(::GetMessageTime());
    std::wstring path;
    if (TakeDroppedAddressBook(reinterpret_cast<HDROP>(wParam), path) && ::IsWindowEnabled(m_hWnd) &&
        !CModalScope::IsOpen() && dwQueuedMs <= kLongestDropWaitMs) {
        ImportFile(path.c_str());
    }
    return TRUE;
}

void CMainDlg::ImportFile(LPCWSTR pszPath)
{
    FollowImport(ImportAddressBook(m_hWnd, pszPath, m_bstrUserName, m_password, ListedNumbers()));
}

INT_PTR CMainDlg::OnPaste(WPARAM, LPARAM)
{
    FollowImport(ImportPastedContacts(m_hWnd, m_bstrUserName, m_password, ListedNumbers()));
    return TRUE;
}

std::vector<std::u16string> CMainDlg::ListedNumbers() const
{
    std::vector<std::u16string> numbers;
    numbers.reserve(m_contacts.size());
    for (const auto& pContact : m_contacts) {
        numbers.push_back(ToU16(pContact->m_bstrNumber));
    }
    return numbers;
}

void CMainDlg::FollowImport(ImportFollowUp followUp)
{
    switch (followUp) {
    case ImportFollowUp::ReloadAfterLoginFailed:
        // The reload decides whether the console ends for a new sign-in.
        m_bLoginFailed = true;
        LoadDetails();
        break;
    case ImportFollowUp::Reload:
        LoadDetails();
        break;
    case ImportFollowUp::None:
        break;
    }
}

INT_PTR CMainDlg::OnExport(WPARAM, LPARAM)
{
    std::vector<CContact*> contacts = SelectedContacts();
    const bool bSelected = !contacts.empty();
    if (!bSelected) {
        for (const auto& pContact : m_contacts) {
            contacts.push_back(pContact.get());
        }
    }
    ExportContacts(m_hWnd, ToExport(contacts), bSelected);
    return TRUE;
}
