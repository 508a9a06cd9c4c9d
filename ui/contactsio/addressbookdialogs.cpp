#include "ui/contactsio/addressbookdialogs.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "base/apartmentcall.h"

namespace {

// Room for a long path; the dialog says so (FNERR_BUFFERTOOSMALL) when a name is longer.
constexpr DWORD kPathRoom = 32768;

constexpr wchar_t kOpenFilter[] = L"vCard (*.vcf)\0*.vcf\0CSV (*.csv)\0*.csv\0Text (*.txt)\0*.txt\0"
                                  L"All Files (*.*)\0*.*\0";
constexpr wchar_t kSaveFilter[] = L"vCard (*.vcf)\0*.vcf\0CSV (*.csv)\0*.csv\0";
constexpr DWORD kSaveCsvFilter = 2;

// The session thread's wait disabled the owner. Enabled again just before
// the dialog, the owner is disabled by the dialog itself and enabled again
// before the dialog goes, so that Windows hands the activation back to it, as
// to the owner of any modal dialog.
struct FileDialogCall {
    OPENFILENAMEW ofn;
    bool bSave;
    bool bOwnerEnabled;
    BOOL bChosen;
    void operator()()
    {
        if (bOwnerEnabled) {
            ::EnableWindow(ofn.hwndOwner, TRUE);
        }
        bChosen = bSave ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    }
};

// The Open dialog changes the process's current folder whatever its flags
// say (OFN_NOCHANGEDIR works for Save only): it is put back afterwards.
class CCurrentFolderKept {
public:
    CCurrentFolderKept()
    {
        const DWORD cch = ::GetCurrentDirectoryW(0, nullptr);
        m_folder.resize(cch);
        if (cch == 0 || ::GetCurrentDirectoryW(cch, &m_folder[0]) != cch - 1) {
            m_folder.clear();
        } else {
            m_folder.resize(cch - 1);
        }
    }
    ~CCurrentFolderKept()
    {
        if (!m_folder.empty()) {
            ::SetCurrentDirectoryW(m_folder.c_str());
        }
    }
    CCurrentFolderKept(const CCurrentFolderKept&) = delete;
    CCurrentFolderKept& operator=(const CCurrentFolderKept&) = delete;

private:
    std::wstring m_folder;
};

bool RunFileDialog(FileDialogCall& call, std::vector<wchar_t>& buffer)
{
    call.ofn.lStructSize = sizeof(call.ofn);
    call.ofn.lpstrFile = buffer.data();
    call.ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    call.bOwnerEnabled = ::IsWindowEnabled(call.ofn.hwndOwner) != FALSE;
    call.bChosen = FALSE;
    CCurrentFolderKept folder;
    return RunInSingleThreadedApartment(call) && call.bChosen;
}

bool EndsWithNoCase(const std::wstring& text, LPCWSTR pszEnd)
{
    const size_t cchEnd = ::lstrlenW(pszEnd);
    return text.size() >= cchEnd && ::lstrcmpiW(text.c_str() + text.size() - cchEnd, pszEnd) == 0;
}

}  // namespace

bool AskAddressBookToOpen(HWND hWndOwner, std::wstring& path)
{
    std::vector<wchar_t> buffer(kPathRoom, L'\0');
    FileDialogCall call = {};
    call.ofn.hwndOwner = hWndOwner;
    call.ofn.lpstrFilter = kOpenFilter;
    call.ofn.nFilterIndex = 1;
    call.ofn.lpstrTitle = L"Open Address Book";
    call.ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!RunFileDialog(call, buffer)) {
        return false;
    }
    path = buffer.data();
    return true;
}

bool AskAddressBookToSave(HWND hWndOwner, const std::wstring& title, std::wstring& path, AddressBookFormat& format)
{
    std::vector<wchar_t> buffer(kPathRoom, L'\0');
    FileDialogCall call = {};
    call.bSave = true;
    call.ofn.hwndOwner = hWndOwner;
    call.ofn.lpstrFilter = kSaveFilter;
    call.ofn.nFilterIndex = 1;
    call.ofn.lpstrTitle = title.c_str();
    // The Explorer-style dialog appends the chosen filter's extension instead.
    call.ofn.lpstrDefExt = L"vcf";
    call.ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!RunFileDialog(call, buffer)) {
        return false;
    }
    path = buffer.data();
    // A name's own extension decides; without one of ours, the chosen filter.
    if (EndsWithNoCase(path, L".csv")) {
        format = AddressBookFormat::Csv;
    } else if (EndsWithNoCase(path, L".vcf")) {
        format = AddressBookFormat::VCard;
    } else {
        format = call.ofn.nFilterIndex == kSaveCsvFilter ? AddressBookFormat::Csv : AddressBookFormat::VCard;
    }
    return true;
}
