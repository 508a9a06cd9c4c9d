#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "appdriver.h"
#include "consolesession.h"
#include "net/servicehost.h"
#include "registryprobe.h"
#include "resource.h"

namespace {

std::string ReadFile(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

std::vector<std::wstring> FilesIn(const std::wstring& directory, const wchar_t* pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW((directory + L"\\" + pattern).c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(data.cFileName);
        }
    } while (::FindNextFileW(hFind, &data));
    ::FindClose(hFind);
    return names;
}

std::wstring TempFolder()
{
    wchar_t path[MAX_PATH];
    DWORD cch = ::GetTempPathW(MAX_PATH, path);
    return std::wstring(path, cch > 0 ? cch - 1 : 0);
}

// The fake browser, registered for ".htm" in the test prefix, appends each
// command line it gets to the file named in QB_FAKEBROWSER_LOG.
class BrowserLaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_workDir = MakeTempDirectory();
        ASSERT_FALSE(m_workDir.empty());
        m_logPath = m_workDir + L".browser.log";
        ::DeleteFileW(m_logPath.c_str());
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", m_logPath.c_str());
        m_tempProbesBefore = FilesIn(TempFolder(), L"qb*.htm");
    }

    void TearDown() override
    {
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", nullptr);
        ::DeleteFileW(m_logPath.c_str());
        for (const std::wstring& name : FilesIn(m_workDir, L"*")) {
            ::DeleteFileW((m_workDir + L"\\" + name).c_str());
        }
        ::RemoveDirectoryW(m_workDir.c_str());
    }

    // Clicks "Register For Free..." and returns the browser's command line.
    std::string RegisterAndWaitForBrowser()
    {
        EXPECT_TRUE(m_app.Start(L"", m_workDir));
        HWND hLogin = m_app.WaitForWindow(L"Quillbay - 1.0 - Login");
        EXPECT_NE(hLogin, nullptr);
        ui::Click(hLogin, IDC_REGISTER);
        std::string log;
        // The browser's whole line, not the first bytes of it.
        ui::WaitFor([&] {
            log = ReadFile(m_logPath);
            return !log.empty() && log.back() == '\n';
        });
        EXPECT_TRUE(::IsWindowVisible(hLogin)) << "the sign-in dialog stays open";
        return log;
    }

    std::string ExpectedUrl() const
    {
        return std::string("https://") + kServiceHost + "/pages/member/quillbay/register/register.php";
    }

    CAppDriver m_app;
    std::wstring m_workDir;
    std::wstring m_logPath;
    std::vector<std::wstring> m_tempProbesBefore;
};

TEST_F(BrowserLaunchTest, RegisterStartsTheBrowserWithTheRegistrationPageAndLeavesNoProbe)
{
    std::string log = RegisterAndWaitForBrowser();
    EXPECT_THAT(log, ::testing::EndsWith(" " + ExpectedUrl() + "\n"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "one start per click";
    EXPECT_THAT(FilesIn(m_workDir, L"*"), ::testing::IsEmpty());
    EXPECT_EQ(FilesIn(TempFolder(), L"qb*.htm"), m_tempProbesBefore);
}

TEST_F(BrowserLaunchTest, AnExistingTempHtmIsNeitherOverwrittenNorDeleted)
{
    const std::wstring ownFile = m_workDir + L"\\temp.htm";
    const std::string ownContents = "somebody else's page\r\n";
    std::ofstream(ownFile.c_str(), std::ios::binary) << ownContents;

    std::string log = RegisterAndWaitForBrowser();
    EXPECT_THAT(log, ::testing::EndsWith(" " + ExpectedUrl() + "\n"));
    EXPECT_EQ(ReadFile(ownFile), ownContents);
    EXPECT_THAT(FilesIn(m_workDir, L"*"), ::testing::ElementsAre(L"temp.htm"));
    EXPECT_EQ(FilesIn(TempFolder(), L"qb*.htm"), m_tempProbesBefore) << "the fallback probe is removed";
}

// ".htm" without an open command (a browser from the Store): the address goes
// to the shell, which opens http with the fake browser (the prefix's command).
TEST_F(BrowserLaunchTest, WithoutAnHtmCommandTheAddressGoesToTheShell)
{
    const wchar_t kKey[] = L"QuillbayTestHtml\\shell\\open\\command";
    const std::wstring command = registry::StringValue(HKEY_CLASSES_ROOT, kKey, nullptr);
    ASSERT_EQ(::RegDeleteKeyW(HKEY_CLASSES_ROOT, kKey), ERROR_SUCCESS);
    std::string log = RegisterAndWaitForBrowser();
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    EXPECT_THAT(log, ::testing::EndsWith(" \"" + ExpectedUrl() + "\"\n"));
}

// ".htm" opens with a program that does not exist, and nothing opens http or
// https addresses: the shell can start nothing, and the member must see nothing.
class MissingBrowserTest : public ConsoleSession {
protected:
    static constexpr wchar_t kCommandKey[] = L"QuillbayTestHtml\\shell\\open\\command";
    static constexpr const wchar_t* kSchemeKeys[] = {L"http\\shell\\open\\command", L"https\\shell\\open\\command"};

    void SetUp() override
    {
        ConsoleSession::SetUp();
        wchar_t command[1024] = {};
        DWORD cb = sizeof(command);
        ASSERT_EQ(::RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, command, &cb),
                  ERROR_SUCCESS);
        m_fakeBrowserCommand = command;
        SetCommand(L"\"C:\\no\\such\\folder\\browser.exe\" \"%1\"");
        for (const wchar_t* pszKey : kSchemeKeys) {
            ::RegDeleteKeyW(HKEY_CLASSES_ROOT, pszKey);
        }
    }

    // The prefix opens the schemes with the fake browser too.
    void TearDown() override
    {
        for (const wchar_t* pszKey : {kCommandKey, kSchemeKeys[0], kSchemeKeys[1]}) {
            SetCommand(m_fakeBrowserCommand, pszKey);
        }
    }

    static void SetCommand(const std::wstring& command, const wchar_t* pszKey = kCommandKey)
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, pszKey, nullptr, REG_SZ, command.c_str(),
                                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    // Nothing but the dialog is left, and it takes input.
    void ExpectOnly(HWND hDlg)
    {
        EXPECT_FALSE(m_app.FindMessageBox());
        EXPECT_EQ(m_app.VisibleWindows(), std::vector<HWND>{hDlg});
        EXPECT_TRUE(::IsWindowEnabled(hDlg));
    }

    std::wstring m_fakeBrowserCommand;
};

TEST_F(MissingBrowserTest, RegisterAndBuyShowNothing)
{
    UseAccount({});
    ASSERT_TRUE(m_app.Start());
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    // A click while the launch waits would be dropped: the next one comes after it.
    EXPECT_TRUE(ui::ClickAndWait(hLogin, IDC_REGISTER));
    ui::Click(hLogin, IDOK);
    ExpectBox(L"Please enter your email address and password.", L"Details");
    ExpectOnly(hLogin);

    HWND hConsole = SignIn(hLogin);
    ASSERT_NE(hConsole, nullptr);
    EXPECT_TRUE(ui::ClickAndWait(hConsole, IDC_BUY));
    ClickAndWaitForRequests(hConsole, IDC_REFRESH, 2);
    ExpectOnly(hConsole);
}

// The Open dialog leaves the process in the folder it chose; the probe file
// goes to the temporary folder all the same, never into a folder of the member's.
TEST_F(MissingBrowserTest, NoProbeAppearsInTheStartFolderNorInTheOneAnOpenDialogChose)
{
    UseAccount({});
    const std::wstring folders[] = {MakeTempDirectory(), MakeTempDirectory()};
    const std::wstring chosen = folders[1] + L"\\notes.txt";
    std::ofstream(chosen.c_str(), std::ios::binary) << "Dear Ann,\r\nsee you at three.\r\n";
    ASSERT_TRUE(m_app.Start(L"", folders[0]));
    HWND hConsole = SignIn(m_app.WaitForWindow(kLoginCaption));
    ASSERT_NE(hConsole, nullptr);
    ::PostMessageW(hConsole, WM_COMMAND, ID_CONTACTS_IMPORT, 0);
    HWND hDialog = m_app.WaitForWindow(L"Open Address Book");
    ASSERT_NE(hDialog, nullptr);
    ui::RealType(hDialog, chosen, VK_RETURN);
    ExpectBox(L"The file is neither a vCard nor a CSV address book. No contact was sent.", L"Import Contacts");
    // A file made or removed in either folder from now on sets its watch.
    HANDLE watches[2];
    for (int i = 0; i < 2; ++i) {
        watches[i] = ::FindFirstChangeNotificationW(folders[i].c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    }
    EXPECT_TRUE(ui::ClickAndWait(hConsole, IDC_BUY));
    for (HANDLE hWatch : watches) {
        EXPECT_EQ(::WaitForSingleObject(hWatch, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a file came and went";
        ::FindCloseChangeNotification(hWatch);
    }
}

}  // namespace
