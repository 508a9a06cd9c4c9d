#include "ui/contactsio/contactsimport.h"

#include <shellapi.h>

#include <string>
#include <utility>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "addressbook/text/memorybytesource.h"
#include "base/messagewait.h"
#include "ui/contactsio/addressbookfile.h"
#include "ui/contactsio/clipboardtext.h"
#include "ui/contactsio/importdlg.h"
#include "ui/contactsio/importoutcome.h"
#include "ui/contactsio/importpreviewdlg.h"

namespace {

constexpr wchar_t kImportCaption[] = L"Import Contacts";

// What an import reads and how its boxes name it.
struct ImportSource {
    std::string bytes;
    LPCWSTR pszName;  // L"file" or L"pasted text"
};

// The box's text for a source the reader could not use; empty for a usable
// one, and for unknown CSV columns, which the preview asks for.
std::wstring ReadErrorText(ReadError error, LPCWSTR pszSource)
{
    const std::wstring the = L"The " + std::wstring(pszSource);
    switch (error) {
    case ReadError::None:
    case ReadError::UnknownColumns:
        return std::wstring();
    case ReadError::TooLarge:
        return the + L" is larger than 64 MB. No contact was sent.";
    case ReadError::ReadFailed:
        return the + L" could not be read. No contact was sent.";
    case ReadError::NotAnAddressBook:
        return the + L" is neither a vCard nor a CSV address book. No contact was sent.";
    case ReadError::Empty:
        return the + L" is empty. No contact was sent.";
    case ReadError::NoUsableContact:
        return the + L" holds no contact with a name and a number. No contact was sent.";
    case ReadError::TooManyContacts:
        return the + L" holds more than 100,000 contacts. No contact was sent.";
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

// The summary, once the import window has sent what it could.
ImportFollowUp SumUp(HWND hWndOwner, const ImportPlan& plan, const ImportOutcome& outcome)
{
    // Windows is ending the logon session: no box, no reload.
    if (IsLogonEnding()) {
        return ImportFollowUp::None;
    }
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

// A file and pasted text alike: read from memory, the preview, the import
// window, the summary.
ImportFollowUp Import(HWND hWndOwner, ImportSource source, const CBstr& bstrUserName, const CSealedText& password,
                      const std::vector<std::u16string>& existingNumbers)
{
    CMemoryByteSource bytes(std::move(source.bytes));
    ReadResult reading = ReadAddressBook(bytes, DecodeCodePage);
    const std::wstring error = ReadErrorText(reading.error, source.pszName);
    if (!error.empty()) {
        ::MessageBoxW(hWndOwner, error.c_str(), kImportCaption, MB_OK);
        return ImportFollowUp::None;
    }
    CImportPreviewDlg preview(bytes, std::move(reading), existingNumbers, ProposedCountryCode(), source.pszName);
    if (preview.DoModal(hWndOwner) != IDOK) {
        return ImportFollowUp::None;
    }
    const ImportPlan& plan = preview.Plan();
    CImportDlg import(bstrUserName, password, plan.toAdd);
    import.DoModal(hWndOwner);
    return SumUp(hWndOwner, plan, import.Outcome());
}

}  // namespace

ImportFollowUp ImportAddressBook(HWND hWndOwner, LPCWSTR pszPath, const CBstr& bstrUserName,
                                 const CSealedText& password, const std::vector<std::u16string>& existingNumbers)
{
    ImportSource source = {std::string(), L"file"};
    const FileReadEnd end = ReadAddressBookFileBytes(pszPath, source.bytes);
    const std::wstring error = end == FileReadEnd::CannotOpen ? L"The file could not be opened. No contact was sent."
                               : end == FileReadEnd::TooLarge ? ReadErrorText(ReadError::TooLarge, source.pszName)
                               : end == FileReadEnd::ReadFailed ? ReadErrorText(ReadError::ReadFailed, source.pszName)
                                                                : std::wstring();
    if (!error.empty()) {
        ::MessageBoxW(hWndOwner, error.c_str(), kImportCaption, MB_OK);
        return ImportFollowUp::None;
    }
    return Import(hWndOwner, std::move(source), bstrUserName, password, existingNumbers);
}

ImportFollowUp ImportPastedContacts(HWND hWndOwner, const CBstr& bstrUserName, const CSealedText& password,
                                    const std::vector<std::u16string>& existingNumbers)
{
    ImportSource source = {std::string(), L"pasted text"};
    switch (ReadClipboardContacts(hWndOwner, kLargestAddressBookBytes, source.bytes)) {
    case ClipboardRead::NoText:
        return ImportFollowUp::None;
    case ClipboardRead::Busy:
        ::MessageBoxW(hWndOwner, L"The clipboard could not be read: another program is using it. Please try again.",
                      kImportCaption, MB_OK);
        return ImportFollowUp::None;
    case ClipboardRead::TooLarge:
        ::MessageBoxW(hWndOwner, ReadErrorText(ReadError::TooLarge, source.pszName).c_str(), kImportCaption, MB_OK);
        return ImportFollowUp::None;
    case ClipboardRead::Read:
        break;
    }
    return Import(hWndOwner, std::move(source), bstrUserName, password, existingNumbers);
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
