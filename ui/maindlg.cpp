#include "ui/maindlg.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/handles.h"
#include "net/servicehost.h"
#include "resource.h"
#include "ui/browserlaunch.h"
#include "ui/exchangeui.h"
#include "ui/logindlg.h"
#include "ui/newcontactdlg.h"
#include "ui/sendabletext.h"
#include "ui/sendsummarydlg.h"
#include "ui/serviceexchange.h"
#include "ui/windowplacement.h"
#include "xml/xmlstream.h"

namespace {

constexpr int kMaxMessageChars = 160;
constexpr INT_PTR kEndLogout = 1;
constexpr INT_PTR kEndExit = 2;
constexpr INT_PTR kEndFailedLoad = 0;
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 450;
const wchar_t kWidthValue[] = L"Main Panel Width";
const wchar_t kHeightValue[] = L"Main Panel Height";
const wchar_t kMaximizedValue[] = L"Main Panel Maximized";

enum Anchor : unsigned { kRight = 1, kDown = 2, kWider = 4, kTaller = 8 };

struct ControlAnchor {
    int nId;
    unsigned anchors;
};

// Registered in this order; how each control follows the console's size.
constexpr ControlAnchor kControlAnchors[] = {
    {IDOK, kRight | kDown},
    {IDCANCEL, kRight | kDown},
    {IDC_COMPOSE_GROUP, kWider | kTaller},
    {IDC_MESSAGE, kWider | kTaller},
    {IDC_CONTACTS, kTaller},
    {IDC_CONTACTS_GROUP, kTaller},
    {IDC_SEND_HINT, kDown},
    {IDC_ADDNEW, kDown},
    {IDC_DELETE, kDown},
    {IDC_REFRESH, kRight | kDown},
    {IDC_CREDITS, kDown},
    {IDC_SEND, kRight | kDown},
    {IDC_BUY, kRight | kDown},
};

void RegisterAnchors(CResizableGrip& grip, HWND hDlg)
{
    for (const ControlAnchor& entry : kControlAnchors) {
        HWND hControl = ::GetDlgItem(hDlg, entry.nId);
        ResizableControl* pControl = hControl ? grip.AddControl() : nullptr;
        if (!pControl) {
            continue;
        }
        pControl->Attach(hControl);
        if (entry.anchors & kRight) {
            pControl->SetAnchorRight();
        }
        if (entry.anchors & kDown) {
            pControl->SetAnchorBottom();
        }
        if (entry.anchors & kWider) {
            pControl->SetStretchWidth();
        }
        if (entry.anchors & kTaller) {
            pControl->SetStretchHeight();
        }
    }
}

// Every row comes from a "cn" element, so no more rows than "<cn" openings.
size_t CountRowsAtMost(const char* pszDocument, size_t cbDocument)
{
    size_t nRows = 0;
    const char* pEnd = pszDocument + cbDocument;
    for (const char* p = pszDocument; (p = static_cast<const char*>(std::memchr(p, '<', pEnd - p))) != nullptr;
         ++p) {
        if (pEnd - p >= 3 && p[1] == 'c' && p[2] == 'n') {
            ++nRows;
        }
    }
    return nRows;
}

}  // namespace

CMainDlg::CMainDlg() : CDialogImpl<CMainDlg>(IDD_MAIN) {}

const CMainDlg::MessageMapEntry* CMainDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CMainDlg::OnInitDialog),
        OnCommand(IDOK, &CMainDlg::OnLogout),
        OnCommand(IDCANCEL, &CMainDlg::OnExit),
        OnMessage(WM_SIZE, &CMainDlg::OnSize),
        OnMessage(WM_SIZING, &CMainDlg::OnSizing),
        OnMessage(WM_DESTROY, &CMainDlg::OnDestroy),
        OnCommand(IDC_MESSAGE, EN_UPDATE, &CMainDlg::OnMessageUpdate),
        OnCommand(IDC_SEND, BN_CLICKED, &CMainDlg::OnSend),
        OnCommand(IDC_REFRESH, BN_CLICKED, &CMainDlg::OnRefresh),
        OnCommand(IDC_ADDNEW, BN_CLICKED, &CMainDlg::OnAddNew),
        OnCommand(IDC_CONTACTS, LBN_SELCHANGE, &CMainDlg::OnContactsSelChange),
        OnCommand(IDC_DELETE, BN_CLICKED, &CMainDlg::OnDelete),
        OnCommand(IDC_BUY, BN_CLICKED, &CMainDlg::OnBuy),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CMainDlg::OnInitDialog(WPARAM, LPARAM)
{
    // Looked up once: under Wine every lookup of a control is a round trip
    // to the server, and the list is sent a message for every row.
    m_hContacts = GetItem(IDC_CONTACTS);
    // Controls are registered at the template size, before the stored size
    // applies, so every later change is measured from the template.
    m_grip.CreateGrip(m_hWnd);
    m_grip.ShowGrip(true);
    RegisterAnchors(m_grip, m_hWnd);
    RestoreWindowPlacement(m_hWnd, kWidthValue, kHeightValue, kMaximizedValue, -1, -1);
    LimitItemText(IDC_MESSAGE, kMaxMessageChars);
    EnableItem(IDC_DELETE, false);
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

INT_PTR CMainDlg::OnExit(WPARAM, LPARAM)
{
    if (ShowMessageBox("Exit?", "Exit Quillbay Console?", MB_YESNO) == IDYES) {
        EndDialog(kEndExit);
    }
    return TRUE;
}

INT_PTR CMainDlg::OnSize(WPARAM, LPARAM)
{
    if (m_grip.GetGripWindow()) {
        m_grip.UpdateGripPosition();
        m_grip.RepositionAll();
    }
    return FALSE;
}

INT_PTR CMainDlg::OnSizing(WPARAM, LPARAM lParam)
{
    RECT* pRect = reinterpret_cast<RECT*>(lParam);
    if (pRect->right - pRect->left < kMinWidth) {
        pRect->right = pRect->left + kMinWidth;
    }
    if (pRect->bottom - pRect->top < kMinHeight) {
        pRect->bottom = pRect->top + kMinHeight;
    }
    return TRUE;
}

INT_PTR CMainDlg::OnDestroy(WPARAM, LPARAM)
{
    SaveWindowPlacement(m_hWnd, kWidthValue, kHeightValue, kMaximizedValue);
    ClearContacts();
    m_pUnlistedContact.reset();
    m_pPendingContact = nullptr;
    m_hContacts = nullptr;
    return FALSE;
}

INT_PTR CMainDlg::OnRefresh(WPARAM, LPARAM)
{
    LoadDetails();
    return TRUE;
}

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
    return ::SendMessageA(m_hContacts, uMsg, wParam, lParam);
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

void CMainDlg::ClearContacts()
{
    m_contacts.clear();
    SendToList(LB_RESETCONTENT, 0, 0);
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

void CMainDlg::UpdateCredits()
{
    CBstr bstrText(L"You have: ");
    bstrText += m_bstrCredits;
    bstrText += L" credits. Buy more here...";
    SetItemText(IDC_CREDITS, bstrText);
}

bool CMainDlg::LoadDetails()
{
    // A failed load ends the console only once its exchange is over: session
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
    m_pUnlistedContact.reset();
    m_pPendingContact = nullptr;

    CServiceExchange exchange(m_hWnd, &progress.Window());
    if (!exchange.Open()) {
        return false;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::GetInformation, m_bstrUserName, m_bstrPassword);
    CommandResponse response;
    if (!exchange.Send(info, L"Loading Details...", response)) {
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
    FillContacts(response.Text());
    progress.Window().Step();
    return true;
}

// Room for every row is reserved ahead and the list is drawn once at the end:
// growing and repainting it row by row costs more than the parse.
void CMainDlg::FillContacts(const char* pszDocument)
{
    const size_t cbDocument = std::strlen(pszDocument);
    const size_t nRows = CountRowsAtMost(pszDocument, cbDocument);
    m_contacts.reserve(nRows);
    SendToList(LB_INITSTORAGE, nRows, static_cast<LPARAM>(cbDocument));
    SendToList(WM_SETREDRAW, FALSE, 0);
    CXmlStream xmlStream;
    xmlStream.SetReceiver(this);
    xmlStream.ParseDocument(pszDocument, static_cast<int>(cbDocument));
    SendToList(WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hContacts, nullptr, TRUE);
}

bool CMainDlg::OnFoundNode(const char*, const char*)
{
    m_pUnlistedContact = std::make_unique<CContact>();
    m_pPendingContact = m_pUnlistedContact.get();
    return true;
}

bool CMainDlg::OnFoundElement(const char* pszName, const char* pszValue, const char*)
{
    if (std::strcmp(pszName, "credits") == 0) {
        m_bstrCredits = CBstr::FromAnsi(pszValue);
        UpdateCredits();
        return true;
    }
    if (!m_pPendingContact) {
        return true;
    }
    if (std::strcmp(pszName, "id") == 0) {
        m_pPendingContact->m_bstrId = CBstr::FromAnsi(pszValue);
    } else if (std::strcmp(pszName, "fn") == 0) {
        m_pPendingContact->m_bstrName = CBstr::FromAnsi(pszValue);
    } else if (std::strcmp(pszName, "ln") == 0) {
        m_pPendingContact->m_bstrName += L" ";
        m_pPendingContact->m_bstrName += CBstr::FromAnsi(pszValue);
    } else if (std::strcmp(pszName, "cn") == 0) {
        m_pPendingContact->m_bstrNumber = CBstr::FromAnsi(pszValue);
        AppendPendingContactRow();
    }
    return true;
}

// Adds the pending record's row. A node that carries "cn" again gets a record
// of its own for the second row, so every row owns exactly one record.
void CMainDlg::AppendPendingContactRow()
{
    if (!m_pUnlistedContact) {
        m_pUnlistedContact = std::make_unique<CContact>(*m_pPendingContact);
        m_pPendingContact = m_pUnlistedContact.get();
    }
    CBstr bstrRow = m_pPendingContact->m_bstrName + L" (" + m_pPendingContact->m_bstrNumber + L")";
    std::string row = bstrRow.ToAnsi();
    LRESULT nIndex = SendToList(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    if (nIndex >= 0) {
        m_contacts.push_back(std::move(m_pUnlistedContact));
    }
}

INT_PTR CMainDlg::OnDelete(WPARAM, LPARAM)
{
    std::vector<CContact*> selected = SelectedContacts();
    if (selected.empty()) {
        ShowMessageBox("Please select at least one contact.", "No Contact Selected");
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
    if (ShowMessageBox("Delete Contact(s)?", "Delete Contact(s)", MB_YESNO) != IDYES) {
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
    CServiceExchange exchange(m_hWnd, &dlgProgress);
    if (!exchange.Open()) {
        return true;
    }
    FormFields info;
    SetCommonFields(info, ServiceCommand::DeleteContacts, m_bstrUserName, m_bstrPassword);
    info.SetField(L"cl", bstrDeleteList);
    CommandResponse response;
    if (!exchange.Send(info, L"Deleting Contact(s)...", response)) {
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
        ShowMessageBox("Please select a contact to remove.", "No Contact Selected");
        break;
    default:
        break;
    }
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
    ::SetDlgItemTextA(m_hWnd, IDC_CHARS_LEFT,
                      (std::string("Enter your message here (") + tLength + " chars left)...").c_str());
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
