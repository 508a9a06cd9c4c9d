#include "ui/contactsio/contactsimport.h"

#include <shellapi.h>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "base/messagewait.h"
#include "ui/contactsio/addressbookfile.h"
#include "ui/contactsio/importdlg.h"
#include "ui/contactsio/importoutcome.h"
#include "ui/contactsio/importquestiondlg.h"

namespace {

constexpr wchar_t kImportCaption[] = L"Import Contacts";

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

ImportFollowUp ImportAddressBook(HWND hWndOwner, LPCWSTR pszPath, const CBstr& bstrUserName,
                                 const CSealedText& password, const std::vector<std::u16string>& existingNumbers)
{
    ReadResult result = {};
    const FileReadEnd end = ReadAddressBookFile(pszPath, result);
    const std::wstring error = end == FileReadEnd::CannotOpen ? L"The file could not be opened. No contact was sent."
                               : end == FileReadEnd::TooLarge ? ReadErrorText(ReadError::TooLarge)
                                                              : ReadErrorText(result.error);
    if (!error.empty()) {
        ::MessageBoxW(hWndOwner, error.c_str(), kImportCaption, MB_OK);
        return ImportFollowUp::None;
    }
    CImportQuestionDlg question(result.contacts, existingNumbers, ProposedCountryCode());
    if (question.DoModal(hWndOwner) != IDYES) {
        return ImportFollowUp::None;
    }
    const ImportPlan& plan = question.Plan();
    CImportDlg import(bstrUserName, password, plan.toAdd);
    import.DoModal(hWndOwner);
    // Windows is ending the logon session: no box, no reload.
    if (IsLogonEnding()) {
        return ImportFollowUp::None;
    }
    const ImportOutcome& outcome = import.Outcome();
    ::MessageBoxW(hWndOwner, ImportSummaryText(plan.skipped, outcome).c_str(), L"Import Summary",
                  MB_OK | MB_ICONINFORMATION);
    // As after a failed delete, the list stays as it was when no answer came
    // back; and, as after Add New, when the service asks for an update, which
    // the summary has said once. Refused credentials are checked again by the
    // reload, which ends the console for a new sign-in.
    switch (outcome.stop) {
    case ImportStop::Failed:
    case ImportStop::UpdateRequired:
        return ImportFollowUp::None;
    case ImportStop::LoginFailed:
        return ImportFollowUp::ReloadAfterLoginFailed;
    default:
        return ImportFollowUp::Reload;
    }
}

bool TakeDroppedAddressBook(HDROP hDrop, std::wstring& path)
{
    CDropHandle drop(hDrop);
    if (drop.Count() != 1) {
        return false;
    }
    path = drop.Path(0);
    return IsAddressBookName(path);
}
