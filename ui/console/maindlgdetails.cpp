#include "ui/console/maindlg.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "resource.h"
#include "ui/exchange/exchangeframe.h"
#include "ui/exchange/exchangeprogress.h"
#include "ui/exchange/exchangetexts.h"
#include "xml/xmlstream.h"

// The details load: one exchange, its answer parsed into the contact records
// and the credit label, and the list filled from the records once the answer
// is gone.
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
    m_collector.Clear();
    m_contactText.Clear();
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
    m_collector.Reserve(CountRowsAtMost(pszDocument, cbDocument));
    CXmlStream xmlStream;
    xmlStream.SetReceiver(this);
    xmlStream.ParseDocument(pszDocument, static_cast<int>(cbDocument));
    m_collector.Finish();
}

// Room for every row is reserved ahead and the list is drawn once at the end:
// growing and repainting it row by row costs more than the parse.
void CMainDlg::ListContacts()
{
    const size_t nRows = m_collector.RowCount();
    SendToList(LB_INITSTORAGE, nRows, static_cast<LPARAM>(m_collector.RowTextBytes()));
    SendToList(WM_SETREDRAW, FALSE, 0);
    std::vector<size_t> unlisted;
    for (size_t nRow = 0; nRow < nRows; ++nRow) {
        const std::wstring row = m_collector.RowText(nRow);
        if (SendToList(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str())) < 0) {
            unlisted.push_back(nRow);
        }
    }
    // A record stays only with its row, so that row i keeps record i.
    m_contacts = m_collector.TakeRecords();
    for (size_t nRow : unlisted) {
        m_contacts[nRow].reset();
    }
    m_contacts.erase(std::remove(m_contacts.begin(), m_contacts.end(), nullptr), m_contacts.end());
    SendToList(WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hContacts, nullptr, TRUE);
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
