#include "consolesession.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

using ::testing::ElementsAre;

constexpr wchar_t kBoxCaption[] = L"Import Contacts";
constexpr wchar_t kImportCaption[] = L"Importing Contacts";
constexpr wchar_t kSummaryCaption[] = L"Import Summary";
constexpr int kFileNameCombo = 0x047C;  // cmb13, the file name of the Explorer-style dialogs
constexpr int kFileNameEdit = 0x0480;   // edt1, where a dialog has no combo box

const std::vector<StandinContact> kTwoContacts = {
    {"12", "Ann", std::string("Lee"), "00447700900111"},
    {"15", "Chlo\xE9 Jo", std::string("Marsh; Hill"), "00447700900222"},
};

std::string Body(const std::string& fields)
{
    return "action=ADDCONTACT&" + fields + "&password=secret&username=member%40quillbay.test&version=1.0";
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> FolderFiles(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(data.cFileName);
            }
        } while (::FindNextFileW(hFind, &data));
        ::FindClose(hFind);
    }
    return names;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (::OpenClipboard(nullptr)) {
        if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
            if (auto* psz = static_cast<const wchar_t*>(::GlobalLock(hData))) {
                text = psz;
                ::GlobalUnlock(hData);
            }
        }
        ::CloseClipboard();
    }
    return text;
}

class ContactsInOutTest : public ConsoleSession {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount(kTwoContacts);
        m_hConsole = StartAndSignIn();
        ASSERT_NE(m_hConsole, nullptr);
        m_hList = ::GetDlgItem(m_hConsole, IDC_CONTACTS);
        m_folder = MakeTempDirectory() + L"\\";
    }

    void Command(int nId) { ::PostMessageW(m_hConsole, WM_COMMAND, MAKEWPARAM(nId, 0), 0); }

    // The member types the path into the open or save dialog and presses OK,
    // and answers Yes when the dialog asks whether to replace the file.
    void ChooseFile(const std::wstring& caption, const std::wstring& path, bool bReplaces = false)
    {
        HWND hDialog = m_app.WaitForWindow(caption);
        ASSERT_NE(hDialog, nullptr) << "no dialog " << Narrow(caption);
        HWND hName = ::GetDlgItem(hDialog, kFileNameCombo) ? ::GetDlgItem(hDialog, kFileNameCombo)
                                                            : ::GetDlgItem(hDialog, kFileNameEdit);
        ::SendMessageW(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ui::Click(hDialog, IDOK);
        if (bReplaces) {
            auto box = m_app.WaitForMessageBox();
            ASSERT_TRUE(box) << "no question before replacing the file";
            CAppDriver::Answer(*box, IDYES);
        }
        EXPECT_TRUE(m_app.WaitUntilWindowGone(hDialog));
    }

    // Imports the file up to the preview, which is returned unanswered.
    HWND ImportUpToPreview(const std::string& bytes, bool bWaitForPreview = true)
    {
        const std::wstring path = m_folder + L"contacts.csv";
        WriteFileBytes(path, bytes);
        Command(ID_CONTACTS_IMPORT);
        ChooseFile(L"Open Address Book", path);
        return bWaitForPreview ? WaitForPreview() : nullptr;
    }

    HWND WaitForPreview()
    {
        HWND hPreview = nullptr;
        ui::WaitFor([&] { return (hPreview = m_app.FindVisibleWindowWithItem(IDC_TO_ADD)) != nullptr; });
        return hPreview;
    }

    // The file appears only once it is whole: it is moved into place.
    void ExpectExport(const std::wstring& caption, const std::wstring& path, const std::string& bytes)
    {
        Command(ID_CONTACTS_EXPORT);
        ChooseFile(caption, path);
        EXPECT_TRUE(ui::WaitFor([&] { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }

    HWND m_hConsole = nullptr;
    HWND m_hList = nullptr;
    std::wstring m_folder;
};

TEST_F(ContactsInOutTest, TheListTakesTheKeysOfEveryWindowsList)
{
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    ::CloseClipboard();
    // Ctrl+V without text on the clipboard does nothing: once the Ctrl+A
    // posted after it has acted, no window and no box came of it.
    ::PostMessageW(m_hList, WM_CHAR, 0x16, 0);
    ::PostMessageW(m_hList, WM_CHAR, 0x01, 0);  // Ctrl+A
    EXPECT_TRUE(ui::WaitFor([&] {
        return ui::ListSelection(m_hConsole, IDC_CONTACTS) == std::vector<int>{0, 1} &&
               ui::IsEnabled(m_hConsole, IDC_DELETE);
    }));
    ExpectNoBox();
    EXPECT_EQ(m_app.FindVisibleWindowWithItem(IDC_TO_ADD), nullptr);
    ::PostMessageW(m_hList, WM_CHAR, 0x03, 0);  // Ctrl+C
    EXPECT_TRUE(ui::WaitFor([&] { return !ClipboardText().empty(); }));
    EXPECT_EQ(ClipboardText(), L"Ann Lee\t00447700900111\r\nChlo\xE9 Jo Marsh; Hill\t00447700900222\r\n");
    ui::PressKey(m_hList, VK_DELETE);
    ExpectBox(L"Delete Contact(s)?", L"Delete Contact(s)", IDNO);
    // F5 in another control of the console.
    ui::PressKey(::GetDlgItem(m_hConsole, IDC_MESSAGE), VK_F5);
    WaitForRequests(2, m_hConsole);
    EXPECT_EQ(LastCommandBody(), DetailsRequestBody());
}

// The popup menu window of the program, once one is up.
HWND WaitForPopupMenu(DWORD processId)
{
    HWND hMenu = nullptr;
    ui::WaitFor([&] {
        hMenu = nullptr;
        for (HWND h = ::FindWindowW(L"#32768", nullptr); h; h = ::FindWindowExW(nullptr, h, L"#32768", nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == processId && ::IsWindowVisible(h)) {
                hMenu = h;
            }
        }
        return hMenu != nullptr;
    });
    return hMenu;
}

// Opened from the keyboard, the menu takes its access keys; its items and
// their greying are the unit tests' (ContactsMenuTest).
TEST_F(ContactsInOutTest, TheContextMenuOpensFromTheKeyboardAndRunsItsCommands)
{
    ui::PressKey(m_hList, VK_APPS);
    HWND hMenu = WaitForPopupMenu(m_app.ProcessId());
    ASSERT_NE(hMenu, nullptr);
    ::PostMessageW(hMenu, WM_CHAR, L'a', 0);
    EXPECT_TRUE(ui::WaitFor([&] {
        return ui::ListSelection(m_hConsole, IDC_CONTACTS).size() == 2 && ui::IsEnabled(m_hConsole, IDC_DELETE);
    }));
    ui::PressKey(m_hList, VK_APPS);
    hMenu = WaitForPopupMenu(m_app.ProcessId());
    ASSERT_NE(hMenu, nullptr);
    ::PostMessageW(hMenu, WM_CHAR, L'r', 0);
    WaitForRequests(2, m_hConsole);
}

// One refused number, one duplicate, one national number, and Stop clicked
// while the service holds the fourth contact's exchange: that exchange ends at
// once, and no later contact is sent.
TEST_F(ContactsInOutTest, ImportAddsOneContactAnExchangeUntilStopped)
{
    HWND hPreview = ImportUpToPreview("First Name,Last Name,Mobile Phone\r\n"
                                      "Zoe,Day,+44 7700 900333\r\n"
                                      "Yan,Oh,07700 900444\r\n"
                                      "Xi,Ma,12\r\n"
                                      "Wu,Li,0044 7700 900111\r\n"
                                      "Vic,Ng,0044-7700-900555\r\n"
                                      "Uma,Po,00447700900666\r\n");
    ASSERT_NE(hPreview, nullptr);
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_NUMBER_COLUMN), L"Mobile Phone");
    ui::SetText(hPreview, IDC_COUNTRY_CODE, L"");
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_IMPORT_COUNTS),
              L"The file holds 6 contacts: 4 will be added and 2 skipped.");
    ui::SetText(hPreview, IDC_COUNTRY_CODE, L"44");
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_IMPORT_COUNTS),
              L"The file holds 6 contacts: 5 will be added and 1 skipped.");
    ASSERT_TRUE(m_standin.HoldRequest(3));
    ui::Click(hPreview, IDOK);
    HWND hImport = m_app.WaitForWindow(kImportCaption);
    ASSERT_NE(hImport, nullptr);
    EXPECT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == 5; }));
    EXPECT_FALSE(::IsWindowEnabled(m_hConsole));
    EXPECT_EQ(ui::GetItemText(hImport, IDC_IMPORT_STATUS), L"Adding contact 4 of 5...");
    const auto clicked = std::chrono::steady_clock::now();
    ui::RealClick(hImport, IDCANCEL);
    // Gone while the service still holds the request, which it lets go only at the end.
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hImport, 20000));
    std::cout << "[ measured ] Stop to the import window gone: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clicked).count()
              << " ms\n";
    ExpectBox(L"Added: 2\nSkipped: 1\n    a duplicate: 1\nRefused by the service: 1\n    an invalid number: 1\n"
              L"\nThe import was stopped; 1 contact was not sent.\n\n"
              L"Line 4, Xi Ma: refused, an invalid number\nLine 5, Wu Li: a duplicate\n"
              L"Line 6, Vic Ng: may have been added\n",
              kSummaryCaption);
    WaitForRequests(6, m_hConsole);

    const std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[1].body, Body("cn=00447700900333&fn=Zoe&ln=Day"));
    EXPECT_EQ(requests[2].body, Body("cn=00447700900444&fn=Yan&ln=Oh"));
    EXPECT_EQ(requests[3].body, Body("cn=12&fn=Xi&ln=Ma"));
    EXPECT_EQ(requests[4].body, Body("cn=00447700900555&fn=Vic&ln=Ng"));
    EXPECT_EQ(requests[5].body, DetailsRequestBody());
    EXPECT_THAT(Rows(m_hConsole), ElementsAre("Ann Lee (00447700900111)", "Chlo\xE9 Jo Marsh; Hill (00447700900222)",
                                              "Zoe Day (00447700900333)", "Yan Oh (00447700900444)"));
    EXPECT_TRUE(m_standin.ReleaseRequest());
}

// The open dialog shares the console's input: a click on the console while it
// is up neither freezes it nor acts on the console afterwards (the dialog is
// cancelled, so that no other modal window stands between them).
TEST_F(ContactsInOutTest, AClickOnTheConsoleNeitherFreezesTheOpenDialogNorActsLater)
{
    Command(ID_CONTACTS_IMPORT);
    HWND hDialog = m_app.WaitForWindow(L"Open Address Book");
    ASSERT_NE(hDialog, nullptr);
    ui::RealClick(m_hConsole, IDOK);  // Logout
    const std::wstring path = m_folder + L"one.csv";
    ui::RealType(hDialog, path);
    const int nName = ::GetDlgItem(hDialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
    EXPECT_TRUE(ui::WaitFor([&] { return ui::GetItemText(hDialog, nName) == path; })) << "the dialog took no name";
    ui::RealType(hDialog, L"", VK_ESCAPE);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hDialog));
    EXPECT_TRUE(ui::Sync(m_hConsole));
    EXPECT_EQ(m_app.VisibleWindows(), std::vector<HWND>{m_hConsole}) << "the console logged out";
    EXPECT_EQ(CommandRequests().size(), 1u);
}

// A header of unknown columns opens the preview with none chosen; each choice
// reads the file again and the rows follow at once.
TEST_F(ContactsInOutTest, ThePreviewListsWhatTheColumnsChosenAddAndSkip)
{
    HWND hPreview = ImportUpToPreview("Who,Kin,Memo,Digits\r\n"
                                      "Zoe,Day,x,+44 7700 900333 / +44 7700 900334\r\n"
                                      "Yan,Oh,y,07700 900444\r\n"
                                      "Wu,Li,z,0044 7700 900111\r\n"
                                      ",,w,00447700900555\r\n"
                                      "Xi,Ma,v,12\r\n");
    ASSERT_NE(hPreview, nullptr);
    ui::SetText(hPreview, IDC_COUNTRY_CODE, L"44");
    EXPECT_TRUE(ui::ListViewRows(hPreview, IDC_TO_ADD).empty());
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_IMPORT_COUNTS),
              L"Choose the columns that hold the names and the numbers.");
    EXPECT_FALSE(ui::IsEnabled(hPreview, IDOK));
    for (const auto& choice : {std::pair{IDC_FIRST_COLUMN, 1}, {IDC_LAST_COLUMN, 2}, {IDC_NUMBER_COLUMN, 4}}) {
        HWND hChoice = ::GetDlgItem(hPreview, choice.first);
        ::SendMessageW(hChoice, CB_SETCURSEL, choice.second, 0);
        ::SendMessageW(hPreview, WM_COMMAND, MAKEWPARAM(choice.first, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(hChoice));
    }
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_NUMBER_COLUMN), L"Digits");
    EXPECT_THAT(ui::ListViewRows(hPreview, IDC_TO_ADD),
                ElementsAre(L"Zoe|Day|00447700900333|+1 other mobile", L"Yan|Oh|00447700900444|",
                            L"Xi|Ma|12|could also be 004412"));
    EXPECT_THAT(ui::ListViewRows(hPreview, IDC_SKIPPED),
                ElementsAre(L"4|Wu Li|a duplicate", L"5|00447700900555|no name"));
    EXPECT_EQ(ui::GetItemText(hPreview, IDC_IMPORT_COUNTS),
              L"The file holds 5 contacts: 3 will be added and 2 skipped.");
    ui::Click(hPreview, IDOK);
    ExpectBox(L"Added: 2\nSkipped: 2\n    no name: 1\n    a duplicate: 1\nRefused by the service: 1\n"
              L"    an invalid number: 1\n\nLine 4, Wu Li: a duplicate\nLine 5, 00447700900555: no name\n"
              L"Line 6, Xi Ma: refused, an invalid number\n",
              kSummaryCaption);
    WaitForRequests(5, m_hConsole);
    const std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[1].body, Body("cn=00447700900333&fn=Zoe&ln=Day"));
    EXPECT_EQ(requests[2].body, Body("cn=00447700900444&fn=Yan&ln=Oh"));
    EXPECT_EQ(requests[3].body, Body("cn=12&fn=Xi&ln=Ma"));
}

// Copy, then Paste into an emptied account: the preview shows the contacts as
// they were, first and last names apart, and Add brings them back.
TEST_F(ContactsInOutTest, PasteAddsWhatCopyPut)
{
    SelectRows(m_hConsole, {0, 1});
    ::PostMessageW(m_hList, WM_CHAR, 0x03, 0);  // Ctrl+C
    EXPECT_TRUE(ui::WaitFor([&] { return !ClipboardText().empty(); }));
    UseAccount({});
    ClickAndWaitForRequests(m_hConsole, IDC_REFRESH, 2);
    ::PostMessageW(m_hList, WM_CHAR, 0x16, 0);  // Ctrl+V
    HWND hPreview = WaitForPreview();
    ASSERT_NE(hPreview, nullptr);
    EXPECT_THAT(ui::ListViewRows(hPreview, IDC_TO_ADD),
                ElementsAre(L"Ann|Lee|00447700900111|", L"Chlo\xE9 Jo|Marsh; Hill|00447700900222|"));
    ui::Click(hPreview, IDOK);
    ExpectBox(L"Added: 2\nSkipped: 0\nRefused by the service: 0\n", kSummaryCaption);
    WaitForRequests(5, m_hConsole);
    EXPECT_EQ(m_standin.AccountDump(kEmail),
              "25\n1\tAnn\tLee\t00447700900111\n2\tChlo\xE9 Jo\tMarsh; Hill\t00447700900222\n");
}

TEST_F(ContactsInOutTest, AFileWithoutContactsSendsNothing)
{
    const std::pair<const char*, const wchar_t*> kFiles[] = {
        {"", L"The file is empty."},
        {"Dear Ann,\r\nsee you at three.\r\n", L"The file is neither a vCard nor a CSV address book."}};
    for (const auto& file : kFiles) {
        ImportUpToPreview(file.first, false);
        ExpectBox(file.second + std::wstring(L" No contact was sent."), kBoxCaption);
    }
    EXPECT_EQ(CommandRequests().size(), 1u);
}

const char kBothAsVCard[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nTEL;TYPE=CELL:00447700900111\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Marsh\\; Hill;Chlo\xC3\xA9 Jo;;;\r\nFN:Chlo\xC3\xA9 Jo Marsh\\; Hill\r\n"
    "TEL;TYPE=CELL:00447700900222\r\nEND:VCARD\r\n";

// Export, then import into an emptied account: the same contacts come back.
TEST_F(ContactsInOutTest, ExportWritesTheFileWholeAndReadsBackAsTheSameContacts)
{
    const std::wstring all = m_folder + L"all.vcf";
    ExpectExport(L"Export All 2 Contacts", all, kBothAsVCard);
    SelectRows(m_hConsole, {1});
    const std::wstring selected = m_folder + L"selected.csv";
    ExpectExport(L"Export 1 Selected Contact", selected,
                 "\xEF\xBB\xBF" "First Name,Last Name,Mobile Number\r\nChlo\xC3\xA9 Jo,Marsh; Hill,00447700900222\r\n");

    UseAccount({});
    ClickAndWaitForRequests(m_hConsole, IDC_REFRESH, 2);
    Command(ID_CONTACTS_IMPORT);
    ChooseFile(L"Open Address Book", all);
    HWND hPreview = WaitForPreview();
    ASSERT_NE(hPreview, nullptr);
    ui::Click(hPreview, IDOK);
    ExpectBox(L"Added: 2\nSkipped: 0\nRefused by the service: 0\n", kSummaryCaption);
    WaitForRequests(5, m_hConsole);
    EXPECT_EQ(m_standin.AccountDump(kEmail),
              "25\n1\tAnn\tLee\t00447700900111\n2\tChlo\xE9 Jo\tMarsh; Hill\t00447700900222\n");
}

TEST_F(ContactsInOutTest, AFileThatCannotBeReplacedStaysAsItWas)
{
    const std::wstring held = m_folder + L"held.vcf";
    WriteFileBytes(held, "old");
    // As a spreadsheet holds a file it has open.
    HANDLE hHeld = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    Command(ID_CONTACTS_EXPORT);
    ChooseFile(L"Export All 2 Contacts", held, true);
    auto box = m_app.WaitForMessageBox();
    ::CloseHandle(hHeld);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Export Contacts");
    EXPECT_THAT(box->text, ::testing::StartsWith(L"The contacts could not be exported to\n" + held + L"\n\n"));
    EXPECT_THAT(box->text, ::testing::EndsWith(L"\n\nAny earlier file of that name is unchanged."));
    CAppDriver::Answer(*box);
    EXPECT_EQ(ReadFileBytes(held), "old");
    // Ours only: Wine's ReplaceFileW leaves a file of its own ("rf*.tmp") when it fails.
    EXPECT_THAT(FolderFiles(m_folder), ::testing::Not(::testing::Contains(::testing::StartsWith(L"held.vcf."))));
}

// An antivirus or an indexer holds a new file for a moment: the replace is tried again.
TEST_F(ContactsInOutTest, AFileHeldOpenForASecondIsReplacedOnceLetGo)
{
    const std::wstring held = m_folder + L"held.vcf";
    WriteFileBytes(held, "old");
    HANDLE hHeld = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    Command(ID_CONTACTS_EXPORT);
    ChooseFile(L"Export All 2 Contacts", held, true);
    // The new file appears beside it just before the first try.
    EXPECT_TRUE(ui::WaitFor([&] { return FolderFiles(m_folder).size() > 1; }));
    ::Sleep(1000);  // the holder's second
    ::CloseHandle(hHeld);
    EXPECT_TRUE(ui::WaitFor([&] { return ReadFileBytes(held) == kBothAsVCard && FolderFiles(m_folder).size() == 1; }));
    EXPECT_TRUE(ui::Sync(m_hConsole));
    ExpectNoBox();
}

}  // namespace
