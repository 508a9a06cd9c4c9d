#include "consolesession.h"

#include <algorithm>

namespace {

constexpr DWORD kExchangeTimeoutMs = 120000;

// A normal-size placement, so the console does not open maximised as it does
// on a first run, and each test starts from the same window.
void StoreNormalPlacement()
{
    HKEY hKey = nullptr;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows");
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", 0, nullptr, 0, KEY_WRITE, nullptr,
                          &hKey, nullptr) != ERROR_SUCCESS) {
        return;
    }
    DWORD values[] = {1000, 700, 0};
    const wchar_t* names[] = {L"Main Panel Width", L"Main Panel Height", L"Main Panel Maximized"};
    for (int i = 0; i < 3; ++i) {
        ::RegSetValueExW(hKey, names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]), sizeof(DWORD));
    }
    ::RegCloseKey(hKey);
}

}  // namespace

std::string DetailsRequestBody()
{
    return "action=GETINFORMATION&password=secret&username=member%40quillbay.test&version=1.0";
}

void ConsoleSession::SetUp()
{
    ASSERT_TRUE(m_standin.Reset());
    StoreNormalPlacement();
}

void ConsoleSession::UseAccount(const std::vector<StandinContact>& contacts, const std::string& credits)
{
    StandinAccount account;
    account.email = kEmail;
    account.password = kPassword;
    account.credits = credits;
    account.contacts = contacts;
    ASSERT_TRUE(m_standin.SetAccount(account));
}

HWND ConsoleSession::StartAndSignIn(const char* pszPassword)
{
    EXPECT_TRUE(m_app.Start());
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    EXPECT_NE(hLogin, nullptr);
    return hLogin ? SignIn(hLogin, pszPassword) : nullptr;
}

HWND ConsoleSession::SignIn(HWND hLogin, const char* pszPassword)
{
    ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
    ui::TypeText(hLogin, IDC_PASSWORD, Widen(pszPassword));
    ui::Click(hLogin, IDOK);
    HWND hConsole = m_app.WaitForWindow(kConsoleCaption, kExchangeTimeoutMs);
    if (hConsole) {
        m_app.SyncAfterExchanges(hConsole, kExchangeTimeoutMs);
    }
    return hConsole;
}

void ConsoleSession::ExpectBox(const std::wstring& text, const std::wstring& caption, int nAnswer)
{
    auto box = m_app.WaitForMessageBox(kExchangeTimeoutMs);
    ASSERT_TRUE(box) << "expected the box \"" << Narrow(caption) << "\"";
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, caption);
    CAppDriver::Answer(*box, nAnswer);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(box->hWnd));
}

void ConsoleSession::ExpectNoBox()
{
    auto box = m_app.FindMessageBox();
    EXPECT_FALSE(box) << "unexpected box: " << Narrow(box->caption) << " / " << Narrow(box->text);
    if (box) {
        CAppDriver::Answer(*box);
    }
}

bool ConsoleSession::ProgressShown() const { return m_app.FindVisibleWindowWithItem(IDC_PROGRESS_BAR) != nullptr; }

std::vector<RecordedRequest> ConsoleSession::CommandRequests()
{
    std::vector<RecordedRequest> commands;
    for (RecordedRequest& request : m_standin.Requests()) {
        if (request.path == kCommandPath) {
            commands.push_back(std::move(request));
        }
    }
    return commands;
}

std::string ConsoleSession::LastCommandBody()
{
    std::vector<RecordedRequest> commands = CommandRequests();
    return commands.empty() ? std::string() : commands.back().body;
}

void ConsoleSession::WaitForRequests(size_t nRequests, HWND hIdle)
{
    EXPECT_TRUE(ui::WaitFor(kExchangeTimeoutMs, [&] { return CommandRequests().size() >= nRequests; }))
        << "the service saw " << CommandRequests().size() << " requests, expected " << nRequests;
    // The service logs a request before it answers, so the program is inside
    // the exchange now, with its progress window up until the list is filled.
    EXPECT_TRUE(ui::WaitFor(kExchangeTimeoutMs, [&] { return !ProgressShown() || m_app.FindMessageBox(); }))
        << "the exchange did not end";
    // What the handler does after the exchange runs no message loop, so a sent
    // message is handled once all of it is done.
    if (::IsWindow(hIdle)) {
        EXPECT_TRUE(ui::Sync(hIdle));
    }
}

void ConsoleSession::ClickAndWaitForRequests(HWND hDlg, int nId, size_t nRequests)
{
    ui::Click(hDlg, nId);
    WaitForRequests(nRequests, hDlg);
}

std::vector<std::string> ConsoleSession::Rows(HWND hConsole)
{
    std::vector<std::string> rows;
    for (const std::wstring& row : ui::ListRows(hConsole, IDC_CONTACTS)) {
        rows.push_back(Narrow(row));
    }
    return rows;
}

void ConsoleSession::SelectRows(HWND hConsole, std::initializer_list<int> rows)
{
    for (int nRow : rows) {
        ui::CtrlClickListRow(hConsole, IDC_CONTACTS, nRow);
        std::vector<int> selection = ui::ListSelection(hConsole, IDC_CONTACTS);
        EXPECT_NE(std::find(selection.begin(), selection.end(), nRow), selection.end())
            << "row " << nRow << " did not get selected";
    }
}
