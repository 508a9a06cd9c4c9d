#include "ui/contactsio/contactsexport.h"

#include <string>

#include "base/modalscope.h"
#include "ui/contactsio/addressbookdialogs.h"
#include "ui/contactsio/addressbookfile.h"
#include "ui/contactsio/clipboardtext.h"

namespace {

constexpr wchar_t kExportCaption[] = L"Export Contacts";

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

std::wstring WhereTheFilesAre(const FileWriteEnd& end)
{
    std::wstring text;
    switch (end.earlier) {
    case EarlierFile::Unchanged:
        if (end.newPath.empty()) {
            return L"Any earlier file of that name is unchanged.";
        }
        break;
    case EarlierFile::Renamed:
        text = L"The earlier file of that name is now\n" + end.earlierPath + L"\n\n";
        break;
    case EarlierFile::Gone:
        text = L"The earlier file of that name is gone.\n\n";
        break;
    }
    return text + L"The exported contacts are in\n" + end.newPath;
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
    return text + SystemMessage(end.dwError) + L"\n\n" + WhereTheFilesAre(end);
}

std::wstring ExportTitle(size_t nContacts, bool bSelected)
{
    const std::wstring count = std::to_wstring(nContacts);
    const wchar_t* pszNoun = nContacts == 1 ? L" Contact" : L" Contacts";
    return bSelected ? L"Export " + count + L" Selected" + pszNoun : L"Export All " + count + pszNoun;
}

}  // namespace

void ExportContacts(HWND hWndOwner, const std::vector<ExportContact>& contacts, bool bSelected)
{
    if (contacts.empty()) {
        ::MessageBoxW(hWndOwner, L"There are no contacts to export.", kExportCaption, MB_OK);
        return;
    }
    std::wstring path;
    AddressBookFormat format = AddressBookFormat::VCard;
    if (!AskAddressBookToSave(hWndOwner, ExportTitle(contacts.size(), bSelected), path, format)) {
        return;
    }
    FileWriteEnd end = {FileWriteStep::Done, ERROR_SUCCESS};
    {
        // Tries of the replace wait modally in between, the console disabled.
        CModalScope scope;
        end = WriteFileReplacing(path, format == AddressBookFormat::Csv ? WriteCsv(contacts) : WriteVCard(contacts));
    }
    if (end.step != FileWriteStep::Done) {
        ::MessageBoxW(hWndOwner, WriteFailureText(end, path).c_str(), kExportCaption, MB_OK | MB_ICONERROR);
    }
}

void CopyContacts(HWND hWndOwner, const std::vector<ExportContact>& contacts)
{
    if (!contacts.empty() && !PutContactsOnClipboard(hWndOwner, ClipboardText(contacts), WriteCsv(contacts))) {
        ::MessageBoxW(hWndOwner,
                      L"The contacts could not be copied: another program is using the clipboard. Please try again.",
                      L"Copy Contacts", MB_OK);
    }
}
