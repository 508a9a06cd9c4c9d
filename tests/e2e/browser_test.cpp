#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "appdriver.h"
#include "consolesession.h"
#include "net/servicehost.h"
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
        return std::string("http://") + kServiceHost + "/pages/member/quillbay/register/register.php";
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

// ".htm" opens with a program that does not exist, or has no open command at
// all (a browser from the Store); http and https open with the fake browser
// (the prefix's own commands) or with nothing. The pages then go to the shell
// as addresses; whatever it cannot start, the member sees nothing of that.
struct AssociationCase {
    const char* name;
    bool bHtmCommand;
    bool bAddressesKnown;
};

void PrintTo(const AssociationCase& c, std::ostream* os) { *os << c.name; }

class MissingBrowserTest : public ConsoleSession, public ::testing::WithParamInterface<AssociationCase> {
protected:
    static constexpr const wchar_t* kCommandKeys[] = {L"QuillbayTestHtml\\shell\\open\\command",
                                                      L"http\\shell\\open\\command", L"https\\shell\\open\\command"};

    void SetUp() override
    {
        ConsoleSession::SetUp();
        wchar_t command[1024] = {};
        DWORD cb = sizeof(command);
        ASSERT_EQ(::RegGetValueW(HKEY_CLASSES_ROOT, kCommandKeys[0], nullptr, RRF_RT_REG_SZ, nullptr, command, &cb),
                  ERROR_SUCCESS);
        m_fakeBrowserCommand = command;
        SetCommand(kCommandKeys[0], GetParam().bHtmCommand ? L"\"C:\\no\\such\\browser.exe\" \"%1\"" : L"");
        SetCommand(kCommandKeys[1], GetParam().bAddressesKnown ? m_fakeBrowserCommand : L"");
        SetCommand(kCommandKeys[2], GetParam().bAddressesKnown ? m_fakeBrowserCommand : L"");
        m_logPath = MakeTempDirectory() + L".browser.log";
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", m_logPath.c_str());
    }

    void TearDown() override
    {
        for (const wchar_t* pszKey : kCommandKeys) {
            SetCommand(pszKey, m_fakeBrowserCommand);
        }
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", nullptr);
        ::DeleteFileW(m_logPath.c_str());
    }

    // An empty command: the key goes.
    static void SetCommand(const wchar_t* pszKey, const std::wstring& command)
    {
        if (command.empty()) {
            ::RegDeleteKeyW(HKEY_CLASSES_ROOT, pszKey);
            return;
        }
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, pszKey, nullptr, REG_SZ, command.c_str(),
                                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    // Nothing but the dialog is left, it takes input, and the fake browser got
    // these addresses by now, each in its own start.
    void ExpectOnly(HWND hDlg, const std::vector<std::string>& urls)
    {
        EXPECT_FALSE(m_app.FindMessageBox());
        EXPECT_EQ(m_app.VisibleWindows(), std::vector<HWND>{hDlg});
        EXPECT_TRUE(::IsWindowEnabled(hDlg));
        const std::string program = Narrow(m_fakeBrowserCommand.substr(0, m_fakeBrowserCommand.find(L" \"%1\"")));
        std::string expected;
        for (const std::string& url : urls) {
            expected += program + " \"" + url + "\"\n";
        }
        std::string log;
        ui::WaitFor([&] { return (log = ReadFile(m_logPath)).size() >= expected.size(); });
        EXPECT_EQ(log, expected);
    }

    std::wstring m_fakeBrowserCommand;
    std::wstring m_logPath;
};

TEST_P(MissingBrowserTest, RegisterAndBuyOpenThePagesThroughTheirAddressesOrShowNothing)
{
    std::vector<std::string> urls;
    if (GetParam().bAddressesKnown) {
        urls = {std::string("http://") + kServiceHost + "/pages/member/quillbay/register/register.php",
                std::string("https://") + kServiceHost + "/pages/member/quillbay/user/pay/memberpage_payment.php"};
    }
    UseAccount({});
    ASSERT_TRUE(m_app.Start());
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    // Each click is followed by one whose answer shows that the first was handled.
    ui::Click(hLogin, IDC_REGISTER);
    ui::Click(hLogin, IDOK);
    ExpectBox(L"Please enter your email address and password.", L"Details");
    ExpectOnly(hLogin, {urls.begin(), urls.begin() + (urls.empty() ? 0 : 1)});

    HWND hConsole = SignIn(hLogin);
    ASSERT_NE(hConsole, nullptr);
    ui::Click(hConsole, IDC_BUY);
    ClickAndWaitForRequests(hConsole, IDC_REFRESH, 2);
    ExpectOnly(hConsole, urls);
}

INSTANTIATE_TEST_SUITE_P(EveryAssociation, MissingBrowserTest,
                         ::testing::Values(AssociationCase{"HtmProgramMissing", true, true},
                                           AssociationCase{"NoHtmCommand", false, true},
                                           AssociationCase{"HtmProgramMissingNoAddresses", true, false},
                                           AssociationCase{"NoBrowserAtAll", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
