#include "consolesession.h"

#include <shlobj.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/servicehost.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Optional;

const std::wstring kNoServerText = L"The Quillbay Console cannot connect to it's Server. Please try again later.";
const std::wstring kNoServerCaption = L"Cannot Connect to Quillbay";

// Every address in the Internet cache, joined.
std::wstring CachedUrls()
{
    std::wstring urls;
    std::vector<BYTE> buffer(64 * 1024);
    auto* pEntry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD cb = static_cast<DWORD>(buffer.size());
    HANDLE hFind = ::FindFirstUrlCacheEntryW(nullptr, pEntry, &cb);
    for (BOOL bFound = hFind != nullptr; bFound; bFound = ::FindNextUrlCacheEntryW(hFind, pEntry, &cb)) {
        urls += std::wstring(pEntry->lpszSourceUrlName) + L" ";
        cb = static_cast<DWORD>(buffer.size());
    }
    ::FindCloseUrlCache(hFind);
    return urls;
}

bool AnyFileHolds(const std::filesystem::path& folder, const std::string& text)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        std::ifstream file(entry.path(), std::ios::binary);
        if (std::string(std::istreambuf_iterator<char>(file), {}).find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

class ConsoleDetailsTest : public ConsoleSession {
protected:
    // Watches, until the program ends or the sign-in dialog shows again, that
    // no console window ever becomes visible.
    bool ConsoleEverShown()
    {
        bool bShown = false;
        ui::WaitFor([&] {
            bShown = bShown || m_app.FindVisibleWindow(kConsoleCaption) != nullptr;
            return !m_app.IsRunning() || m_app.FindMessageBox().has_value();
        });
        return bShown;
    }

    HWND TypeCredentialsAndSubmit(const char* pszPassword)
    {
        EXPECT_TRUE(m_app.Start());
        HWND hLogin = m_app.WaitForWindow(kLoginCaption);
        ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
        ui::TypeText(hLogin, IDC_PASSWORD, Widen(pszPassword));
        ui::Click(hLogin, IDOK);
        return hLogin;
    }
};

TEST_F(ConsoleDetailsTest, ListsEveryContactInTheServicesOrderWithTheCredit)
{
    UseAccount({{"7", "Ann", std::nullopt, "0777"},
                {"8", "Bob", std::string(""), "0888"},
                {"9", "Chlo\xE9", std::string("Lee"), "00447700900123"}},
               "25");
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);

    EXPECT_THAT(Rows(hConsole), ElementsAre("Ann (0777)", "Bob  (0888)", "Chlo\xE9 Lee (00447700900123)"));
    EXPECT_EQ(CreditLabel(hConsole), L"You have: 25 credits. Buy more here...");
    EXPECT_EQ(ui::GetItemText(hConsole, IDC_CHARS_LEFT), L"&Enter your message here (160 chars left)...");
    EXPECT_FALSE(ui::IsEnabled(hConsole, IDC_DELETE));
    EXPECT_THAT(CommandRequests(), ::testing::SizeIs(1));
    EXPECT_EQ(LastCommandBody(), DetailsRequestBody());

    // The parser traces the document on standard output, in text mode.
    const std::string trace =
        "Found Element: \r\nname: fn\r\nvalue: Ann\r\n\r\nFound Element: \r\nname: cn\r\nvalue: 0777\r\n";
    EXPECT_TRUE(ui::WaitFor([&] { return m_app.Output().find(trace) != std::string::npos; }))
        << m_app.Output().substr(0, 2000);
    EXPECT_THAT(m_app.Output(), ::testing::StartsWith("----- parse document -----\r\n<details>"));
}

TEST_F(ConsoleDetailsTest, ShowsTheCreditVerbatim)
{
    for (const char* credits : {"0", "12.5", ""}) {
        UseAccount({{"1", "Ann", std::nullopt, "0777"}}, credits);
        HWND hConsole = StartAndSignIn();
        ASSERT_NE(hConsole, nullptr);
        EXPECT_EQ(Narrow(CreditLabel(hConsole)), std::string("You have: ") + credits + " credits. Buy more here...");
        ui::Click(hConsole, IDOK);  // Logout, then leave
        HWND hLogin = m_app.WaitForWindow(kLoginCaption);
        ui::Click(hLogin, IDCANCEL);
        EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
    }
}

TEST_F(ConsoleDetailsTest, AnAnswerWithoutAnyKnownElementLeavesTheListEmptyAndTheLabelAsItWas)
{
    UseAccount({});
    m_standin.QueueAnswer({"<details><note>nothing here</note></details>"});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_THAT(Rows(hConsole), IsEmpty());
    EXPECT_EQ(CreditLabel(hConsole), L"You have: (num) credits. Buy more here...");
}

TEST_F(ConsoleDetailsTest, ANodeWithTwoNumbersListsTwoRowsThatAreReleasedOnce)
{
    UseAccount({});
    m_standin.QueueAnswer({"<details><contact><id>3</id><fn>Ann</fn><cn>0711</cn><cn>0722</cn><ln>Lee</ln></contact>"
                           "<contact><id>4</id><fn>Ben</fn><cn>0733</cn></contact></details>"});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_THAT(Rows(hConsole), ElementsAre("Ann (0711)", "Ann (0722)", "Ben (0733)"));

    // Each row deletes its own record's id, and reloading releases them all.
    SelectRows(hConsole, {1, 2});
    ui::Click(hConsole, IDC_DELETE);
    ExpectBox(L"Delete Contact(s)?", L"Delete Contact(s)", IDYES);
    WaitForRequests(3, hConsole);
    EXPECT_THAT(CommandRequests()[1].body, ::testing::StartsWith("action=DELETECONTACTS&cl=3%2C4&"));
    ui::Click(hConsole, IDCANCEL);
    ExpectBox(L"Exit?", L"Exit Quillbay Console?", IDYES);
    EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
}

TEST_F(ConsoleDetailsTest, WrongPasswordReturnsToSignInWithTheNoticeAndNeverShowsTheConsole)
{
    UseAccount({{"1", "Ann", std::nullopt, "0777"}});
    TypeCredentialsAndSubmit("wrong");
    EXPECT_FALSE(ConsoleEverShown());
    ExpectBox(L"Login Failed - Please try again.", L"Details");

    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    EXPECT_EQ(ui::GetItemText(hLogin, IDC_EMAIL), L"");
    EXPECT_EQ(ui::GetItemText(hLogin, IDC_PASSWORD), L"");
    EXPECT_NE(SignIn(hLogin), nullptr) << "the right password opens the console";
}

TEST_F(ConsoleDetailsTest, UpdateRequiredEndsTheSessionWithTheUpdateBox)
{
    UseAccount({});
    m_standin.QueueAnswer({"update_required\r\n"});
    TypeCredentialsAndSubmit(kPassword);
    EXPECT_FALSE(ConsoleEverShown());
    auto box = m_app.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(Narrow(box->text),
              std::string("A Critical Update is required. Please visit ") + kServiceHost + " to obtain the new version.");
    EXPECT_EQ(box->caption, L"Update Required");
    EXPECT_EQ(::GetWindow(box->hWnd, GW_OWNER), nullptr) << "the box has no owner";
    CAppDriver::Answer(*box);
    EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
}

TEST_F(ConsoleDetailsTest, A404PageOrAnUnreachableServiceEndsTheProgram)
{
    StandinAnswer notFound;
    notFound.page404 = true;
    StandinAnswer dropped;
    dropped.body = "<details></details>";
    dropped.cutAfter = 0;
    for (const StandinAnswer& answer : {notFound, dropped}) {
        UseAccount({});
        m_standin.QueueAnswer(answer);
        CAppDriver app;
        ASSERT_TRUE(app.Start());
        HWND hLogin = app.WaitForWindow(kLoginCaption);
        ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
        ui::TypeText(hLogin, IDC_PASSWORD, Widen(kPassword));
        ui::Click(hLogin, IDOK);
        auto box = app.WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, kNoServerText);
        EXPECT_EQ(box->caption, kNoServerCaption);
        CAppDriver::Answer(*box);
        EXPECT_THAT(app.WaitForExit(), Optional(0u));
        EXPECT_FALSE(app.FindMessageBox());
    }
}

TEST_F(ConsoleDetailsTest, RefreshReloadsTheDetails)
{
    UseAccount({{"1", "Ann", std::nullopt, "0777"}}, "5");
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);

    UseAccount({{"1", "Ann", std::nullopt, "0777"}, {"2", "Bea", std::string("Roe"), "0999"}}, "4");
    ClickAndWaitForRequests(hConsole, IDC_REFRESH, 2);
    EXPECT_THAT(Rows(hConsole), ElementsAre("Ann (0777)", "Bea Roe (0999)"));
    EXPECT_EQ(CreditLabel(hConsole), L"You have: 4 credits. Buy more here...");
    EXPECT_EQ(LastCommandBody(), DetailsRequestBody());
}

// The details (every contact's name and number) must not outlive the session
// in the Internet cache, nor be taken from it or a proxy's.
TEST_F(ConsoleDetailsTest, NothingOfTheDetailsIsLeftInTheInternetCache)
{
    ::DeleteUrlCacheEntryW(L"https://localhost/scripts/orvexconsole/command.php");  // an earlier build's
    const std::string number = "00" + std::to_string(::GetTickCount64() % 1000000000000ull);  // this run's own
    UseAccount({{"1", "Ann", std::nullopt, number}});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ClickAndWaitForRequests(hConsole, IDC_REFRESH, 2);
    ASSERT_THAT(Rows(hConsole), ElementsAre("Ann (" + number + ")"));

    EXPECT_THAT(CachedUrls(), ::testing::Not(HasSubstr(Widen(kServiceHost))));
    wchar_t szCache[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, szCache), S_OK);
    EXPECT_FALSE(AnyFileHolds(szCache, number)) << Narrow(szCache);
    EXPECT_THAT(CommandRequests().back().headers, HasSubstr("no-cache"));
}

TEST_F(ConsoleDetailsTest, BuyOpensThePaymentPageInTheBrowser)
{
    std::wstring logPath = MakeTempDirectory() + L".log";
    ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", logPath.c_str());
    UseAccount({});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);

    ui::Click(hConsole, IDC_BUY);
    std::string log;
    // The browser's whole line, not the first bytes of it.
    EXPECT_TRUE(ui::WaitFor([&] {
        std::ifstream file(logPath.c_str(), std::ios::binary);
        std::stringstream contents;
        contents << file.rdbuf();
        log = contents.str();
        return !log.empty() && log.back() == '\n';
    }));
    EXPECT_THAT(log, ::testing::EndsWith(std::string(" https://") + kServiceHost +
                                         "/pages/member/quillbay/user/pay/memberpage_payment.php\n"));
    EXPECT_TRUE(::IsWindowVisible(hConsole));
    ::SetEnvironmentVariableW(L"QB_FAKEBROWSER_LOG", nullptr);
    ::DeleteFileW(logPath.c_str());
}

TEST_F(ConsoleDetailsTest, EnterInTheListLogsOutAtOnce)
{
    UseAccount({{"1", "Ann", std::nullopt, "0777"}});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ui::PressKey(::GetDlgItem(hConsole, IDC_CONTACTS), VK_RETURN);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hConsole));
    EXPECT_NE(m_app.WaitForWindow(kLoginCaption), nullptr);
    EXPECT_FALSE(m_app.FindMessageBox());
}

TEST_F(ConsoleDetailsTest, EscapeAndTheCloseBoxAskBeforeExiting)
{
    UseAccount({});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);

    ui::PressKey(::GetDlgItem(hConsole, IDC_CONTACTS), VK_ESCAPE);
    ExpectBox(L"Exit?", L"Exit Quillbay Console?", IDNO);
    EXPECT_TRUE(::IsWindowVisible(hConsole));

    ::PostMessageW(hConsole, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectBox(L"Exit?", L"Exit Quillbay Console?", IDYES);
    EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
}

}  // namespace
