#include "ui/maindlg.h"

#include <cstring>
#include <string>

#include "resource.h"
#include "ui/exchangeui.h"
#include "ui/serviceexchange.h"
#include "xml/xmlstream.h"

// The details load: one exchange, its answer parsed straight into the list
// rows and the credit label.
namespace {

constexpr INT_PTR kEndFailedLoad = 0;

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

void CMainDlg::ClearContacts()
{
    m_contacts.clear();
    SendToList(LB_RESETCONTENT, 0, 0);
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
