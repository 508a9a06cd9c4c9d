#include "ui/console/maindlg.h"

#include <shellapi.h>
#include <windowsx.h>

#include "base/messagewait.h"
#include "addressbook/writers/addressbookwriter.h"
#include "addressbook/importplan.h"
#include "resource.h"
#include "ui/contactsio/addressbookdialogs.h"
#include "ui/contactsio/addressbookfile.h"
#include "ui/contactsio/clipboardtext.h"
#include "ui/contactsio/contactsmenu.h"
#include "ui/contactsio/importdlg.h"
#include "ui/contactsio/importquestiondlg.h"

// The contact list as every Windows list: its keys and context menu, Copy;
// and the address book in and out: Import (menu or a dropped file) and Export.
namespace {

constexpr wchar_t kImportCaption[] = L"Import Contacts";
constexpr wchar_t kExportCaption[] = L"Export Contacts";
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

// The box's text for a file the reader could not use; empty for a usable one.
std::wstring ReadErrorText(ReadError error)
{
    switch (error) {
    case ReadError::None:
        return std::wstring();
    case ReadError::TooLarge:
        return L"The file is larger than 64 MB. No contact was sent.";
    case ReadError::ReadFailed:
        return L"The file could not be read. No contact was sent.";
    case ReadError::NotAnAddressBook:
        return L"The file is neither a vCard nor a CSV address book. No contact was sent.";
    case ReadError::Empty:
        return L"The file is empty. No contact was sent.";
    case ReadError::NoUsableContact:
        return L"The file holds no contact with a name and a number. No contact was sent.";
    case ReadError::TooManyContacts:
        return L"The file holds more than 100,000 contacts. No contact was sent.";
    case ReadError::UnknownColumns:
        return L"The first row of the file names none of the columns needed: " +
               std::wstring(reinterpret_cast<LPCWSTR>(kNeededColumns)) + L". No contact was sent.";
    }
    return std::wstring();
}

std::wstring SystemMessage(DWORD dwError)
{
    wchar_t szMessage[512] = {};
    const DWORD cch = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                                       0, szMessage, ARRAYSIZE(szMessage), nullptr);
    std::wstring text(szMessage, cch);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? L"error " + std::to_wstring(dwError) : text;
}

std::wstring WriteFailureText(const FileWriteEnd& end, const std::wstring& path)
{
    std::wstring text = L"The contacts could not be exported to\n" + path + L"\n\n";
    switch (end.step) {
    case FileWriteStep::CreateTemporary:
        text += L"A new file could not be made in that folder: ";
        break;
    case FileWriteStep::Write:
        text += L"The new file could not be written: ";
        break;
    default:
        text += L"The new file could not take the place of the old one: ";
        break;
    }
    return text + SystemMessage(end.dwError) + L"\n\nAny earlier file of that name is unchanged.";
}

std::wstring ExportTitle(size_t nContacts, bool bSelected)
{
    const std::wstring count = std::to_wstring(nContacts);
    const wchar_t* pszNoun = nContacts == 1 ? L" Contact" : L" Contacts";
    return bSelected ? L"Export " + count + L" Selected" + pszNoun : L"Export All " + count + pszNoun;
}

bool IsAddressBookName(const std::wstring& path)
{
    const size_t nDot = path.find_last_of(L'.');
    if (nDot == std::wstring::npos) {
        return false;
    }
    LPCWSTR pszExtension = path.c_str() + nDot;
    return ::lstrcmpiW(pszExtension, L".vcf") == 0 || ::lstrcmpiW(pszExtension, L".csv") == 0 ||
           ::lstrcmpiW(pszExtension, L".txt") == 0;
}

class CDropHandle {
public:
    explicit CDropHandle(HDROP hDrop) noexcept : m_hDrop(hDrop) {}
    ~CDropHandle() { ::DragFinish(m_hDrop); }
    CDropHandle(const CDropHandle&) = delete;
    CDropHandle& operator=(const CDropHandle&) = delete;

    UINT Count() const { return ::DragQueryFileW(m_hDrop, 0xFFFFFFFF, nullptr, 0); }
    std::wstring Path(UINT nFile) const
    {
        const UINT cch = ::DragQueryFileW(m_hDrop, nFile, nullptr, 0);
        std::wstring path(cch + 1, L'\0');
        path.resize(::DragQueryFileW(m_hDrop, nFile, &path[0], cch + 1));
        return path;
    }

private:
    HDROP m_hDrop;
};

}  // namespace

void CMainDlg::InitContactsCommands()
{
    m_listKeys.Attach(m_hWnd, m_hContacts);
    ::DragAcceptFiles(m_hWnd, TRUE);
}

// Keyboard-invoked menus open under the focused row, or at the list's corner.
POINT CMainDlg::MenuPointUnderSelection() const
{
    RECT rcList = {};
    ::GetClientRect(m_hContacts, &rcList);
    POINT pt = {rcList.left, rcList.top};
    const LRESULT nCaret = SendToList(LB_GETCARETINDEX, 0, 0);
    RECT rcRow = {};
    if (nCaret != LB_ERR && SendToList(LB_GETITEMRECT, static_cast<WPARAM>(nCaret), reinterpret_cast<LPARAM>(&rcRow)) !=
                                LB_ERR) {
        RECT rcVisible = {};
        if (::IntersectRect(&rcVisible, &rcRow, &rcList)) {
            pt = {rcRow.left, rcRow.bottom};
        }
    }
    ::ClientToScreen(m_hContacts, &pt);
    return pt;
}

INT_PTR CMainDlg::OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(wParam) != m_hContacts) {
        return FALSE;
    }
    const POINT pt = lParam == -1 ? MenuPointUnderSelection() : POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int nCommand = TrackContactsMenu(m_hWnd, pt, SendToList(LB_GETSELCOUNT, 0, 0) > 0);
    if (nCommand != 0) {
        ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(nCommand, BN_CLICKED), 0);
    }
    return TRUE;
}

// LB_SETSEL sends no selection-change notice: what it would update is updated here.
INT_PTR CMainDlg::OnSelectAll(WPARAM, LPARAM)
{
    if (SendToList(LB_GETCOUNT, 0, 0) > 0) {
        SendToList(LB_SETSEL, TRUE, -1);
    }
    return OnContactsSelChange(0, 0);
}

INT_PTR CMainDlg::OnCopy(WPARAM, LPARAM)
{
    const std::vector<CContact*> selected = SelectedContacts();
    if (!selected.empty() && !PutTextOnClipboard(m_hWnd, ClipboardText(ToExport(selected)))) {
        ShowMessageBox(L"The contacts could not be copied: another program is using the clipboard. Please try "
                       L"again.",
                       L"Copy Contacts");
    }
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
    CDropHandle drop(reinterpret_cast<HDROP>(wParam));
    const DWORD dwQueuedMs = ::GetTickCount() - static_cast<DWORD>(::GetMessageTime());
    if (!::IsWindowEnabled(m_hWnd) || IsAnsweringMessages() || dwQueuedMs > kLongestDropWaitMs ||
        drop.Count() != 1) {
        return TRUE;
    }
    const std::wstring path = drop.Path(0);
    if (IsAddressBookName(path)) {
        ImportFile(path.c_str());
    }
    return TRUE;
}

void CMainDlg::ImportFile(LPCWSTR pszPath)
{
    ReadResult result = {};
    const FileReadEnd end = ReadAddressBookFile(pszPath, result);
    const std::wstring error = end == FileReadEnd::CannotOpen ? L"The file could not be opened. No contact was sent."
                               : end == FileReadEnd::TooLarge ? ReadErrorText(ReadError::TooLarge)
                                                              : ReadErrorText(result.error);
    if (!error.empty()) {
        ShowMessageBox(error.c_str(), kImportCaption);
        return;
    }
    std::vector<std::u16string> existingNumbers;
    existingNumbers.reserve(m_contacts.size());
    for (const auto& pContact : m_contacts) {
        existingNumbers.push_back(ToU16(pContact->m_bstrNumber));
    }
    CImportQuestionDlg question(result.contacts, existingNumbers, ProposedCountryCode());
    if (question.DoModal(m_hWnd) != IDYES) {
        return;
    }
    const ImportPlan& plan = question.Plan();
    CImportDlg import(m_bstrUserName, m_bstrPassword, plan.toAdd);
    import.DoModal(m_hWnd);
    // Windows is ending the session: no box, no reload.
    if (IsSessionEnding()) {
        return;
    }
    const ImportOutcome& outcome = import.Outcome();
    ShowMessageBox(ImportSummaryText(plan.skipped, outcome).c_str(), L"Import Summary", MB_OK | MB_ICONINFORMATION);
    if (outcome.stop == ImportStop::LoginFailed) {
        // The reload decides whether the console ends for a new sign-in.
        m_bLoginFailed = true;
    }
    // As after a failed delete, the list stays as it was when no answer came
    // back; and, as after Add New, when the service asks for an update, which
    // the summary has said once.
    if (outcome.stop != ImportStop::Failed && outcome.stop != ImportStop::UpdateRequired) {
        LoadDetails();
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
    if (contacts.empty()) {
        ShowMessageBox(L"There are no contacts to export.", kExportCaption);
        return TRUE;
    }
    ExportContacts(contacts, ExportTitle(contacts.size(), bSelected));
    return TRUE;
}

void CMainDlg::ExportContacts(const std::vector<CContact*>& contacts, const std::wstring& title)
{
    std::wstring path;
    AddressBookFormat format = AddressBookFormat::VCard;
    if (!AskAddressBookToSave(m_hWnd, title, path, format)) {
        return;
    }
    const std::vector<ExportContact> records = ToExport(contacts);
    const FileWriteEnd end =
        WriteFileReplacing(path, format == AddressBookFormat::Csv ? WriteCsv(records) : WriteVCard(records));
    if (end.step != FileWriteStep::Done) {
        ShowMessageBox(WriteFailureText(end, path).c_str(), kExportCaption, MB_OK | MB_ICONERROR);
    }
}
