#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
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

// What the prefix's shell knows of browsers: the ".htm" class's open command
// and the command of both page schemes, each one the fake browser's, another
// or none at all. Whatever the shell can or cannot start, the member sees no
// box of it.
struct AssociationCase {
    const char* name;
    const wchar_t* htmCommand;  // null: the ".htm" class has no open command
    bool bAddressesKnown;       // http and https open with the fake browser, else with nothing
};

void PrintTo(const AssociationCase& c, std::ostream* os) { *os << c.name; }

const wchar_t kNoSuchProgram[] = L"\"C:\\no\\such\\folder\\browser.exe\" \"%1\"";

class AssociationTest : public ConsoleSession, public ::testing::WithParamInterface<AssociationCase> {
protected:
    static constexpr const wchar_t* kCommandKeys[] = {L"QuillbayTestHtml\\shell\\open\\command",
                                                      L"http\\shell\\open\\command", L"https\\shell\\open\\command"};

    void SetUp() override
    {
        ConsoleSession::SetUp();
        for (const wchar_t* pszKey : kCommandKeys) {
            m_saved.push_back(Command(pszKey));
        }
        m_fakeBrowser = m_saved[0].value_or(L"");
        ASSERT_NE(m_fakeBrowser.find(L"fakebrowser.exe"), std::wstring::npos);
        m_logPath = MakeTempDirectory() + L".browser.log";
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", m_logPath.c_str());
        const AssociationCase& c = GetParam();
        SetCommand(kCommandKeys[0], c.htmCommand ? std::optional<std::wstring>(c.htmCommand) : std::nullopt);
        for (const wchar_t* pszKey : {kCommandKeys[1], kCommandKeys[2]}) {
            SetCommand(pszKey, c.bAddressesKnown ? std::optional<std::wstring>(m_fakeBrowser) : std::nullopt);
        }
    }

    void TearDown() override
    {
        for (size_t i = 0; i < m_saved.size(); ++i) {
            SetCommand(kCommandKeys[i], m_saved[i]);
        }
        ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", nullptr);
        ::DeleteFileW(m_logPath.c_str());
    }

    static std::optional<std::wstring> Command(const wchar_t* pszKey)
    {
        wchar_t command[1024] = {};
        DWORD cb = sizeof(command);
        if (::RegGetValueW(HKEY_CLASSES_ROOT, pszKey, nullptr, RRF_RT_REG_SZ, nullptr, command, &cb) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::wstring(command);
    }

    static void SetCommand(const wchar_t* pszKey, const std::optional<std::wstring>& command)
    {
        if (!command) {
            ::RegDeleteKeyW(HKEY_CLASSES_ROOT, pszKey);
            return;
        }
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, pszKey, nullptr, REG_SZ, command->c_str(),
                                    static_cast<DWORD>((command->size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    // Nothing but the dialog is left, it takes input, and the browser got
    // exactly these addresses by now, each as its last argument.
    void ExpectOnly(HWND hDlg, const std::vector<std::string>& urls)
    {
        EXPECT_FALSE(m_app.FindMessageBox());
        EXPECT_EQ(m_app.VisibleWindows(), std::vector<HWND>{hDlg});
        EXPECT_TRUE(::IsWindowEnabled(hDlg));
        std::string log;
        ui::WaitFor([&] {
            log = ReadFile(m_logPath);
            return static_cast<size_t>(std::count(log.begin(), log.end(), '\n')) >= urls.size();
        });
        std::string expected;
        for (const std::string& url : urls) {
            expected += "\"" + url + "\"\n";
        }
        std::stringstream lines(log);
        std::string got;
        for (std::string line; std::getline(lines, line);) {
            got += line.substr(line.find_last_of(' ') + 1) + "\n";
        }
        EXPECT_EQ(got, expected);
    }

    std::vector<std::optional<std::wstring>> m_saved;
    std::wstring m_fakeBrowser;
    std::wstring m_logPath;
};

TEST_P(AssociationTest, RegisterAndBuyOpenThePagesOrShowNothing)
{
    const bool bOpens = GetParam().bAddressesKnown;
    UseAccount({});
    ASSERT_TRUE(m_app.Start());
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    // Each click is followed by one whose answer shows that the first was handled.
    ui::Click(hLogin, IDC_REGISTER);
    ui::Click(hLogin, IDOK);
    ExpectBox(L"Please enter your email address and password.", L"Details");
    const std::string kRegister =
        std::string("http://") + kServiceHost + "/pages/member/quillbay/register/register.php";
    ExpectOnly(hLogin, bOpens ? std::vector<std::string>{kRegister} : std::vector<std::string>{});

    HWND hConsole = SignIn(hLogin);
    ASSERT_NE(hConsole, nullptr);
    ui::Click(hConsole, IDC_BUY);
    ClickAndWaitForRequests(hConsole, IDC_REFRESH, 2);
    const std::string kBuy =
        std::string("https://") + kServiceHost + "/pages/member/quillbay/user/pay/memberpage_payment.php";
    ExpectOnly(hConsole, bOpens ? std::vector<std::string>{kRegister, kBuy} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    EveryAssociation, AssociationTest,
    ::testing::Values(AssociationCase{"HtmProgramMissingAddressesKnown", kNoSuchProgram, true},
                      AssociationCase{"NoHtmCommandAddressesKnown", nullptr, true},
                      AssociationCase{"HtmProgramMissingAddressesUnknown", kNoSuchProgram, false},
                      AssociationCase{"NoBrowserAtAll", nullptr, false}),
    [](const ::testing::TestParamInfo<AssociationCase>& info) { return std::string(info.param.name); });

}  // namespace
