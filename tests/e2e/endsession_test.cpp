#include "consolesession.h"

#include <optional>

// The end of the logon session, or the Restart Manager closing the program for
// an upgrade, as the system tells the program's windows from outside: they agree,
// store the console's placement and end at once without asking, whatever is open.
namespace {

using ::testing::Optional;

struct EndSessionCase {
    const char* name;
    bool bConsole;      // else the sign-in dialog
    LPARAM lParam;      // what ends: ENDSESSION_CLOSEAPP or ENDSESSION_LOGOFF
    bool bTerminated;   // as at a logoff, the process is ended once the windows have answered
    int nOpened = 0;    // the console's button that opened what is open: Refresh is held by the service
};

const EndSessionCase kCases[] = {
    {"ConsoleClosedForAnUpgrade", true, ENDSESSION_CLOSEAPP, false},
    {"ConsoleAtALogoff", true, ENDSESSION_LOGOFF, true},
    {"SignInClosedForAnUpgrade", false, ENDSESSION_CLOSEAPP, false},
    {"AddNewContactOpen", true, ENDSESSION_CLOSEAPP, false, IDC_ADDNEW},
    {"SendSummaryOpen", true, ENDSESSION_CLOSEAPP, false, IDC_SEND},
    {"ExitQuestionOpen", true, ENDSESSION_CLOSEAPP, false, IDCANCEL},
    {"DuringAnExchange", true, ENDSESSION_CLOSEAPP, false, IDC_REFRESH},
};

void PrintTo(const EndSessionCase& test, std::ostream* os) { *os << test.name; }

std::optional<LRESULT> Send(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<DWORD> StoredDword(const wchar_t* pszName)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", pszName, RRF_RT_REG_DWORD, nullptr,
                       &dwValue, &cb) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return dwValue;
}

class EndSessionTest : public ConsoleSession, public ::testing::WithParamInterface<EndSessionCase> {};

TEST_P(EndSessionTest, TheWindowAgreesAndTheProgramEndsWithoutAskingWithItsPlacementStored)
{
    const EndSessionCase& test = GetParam();
    UseAccount({{"1", "Alice", "Hartley", "00447700900123"}});
    HWND hWnd = nullptr;
    if (test.bConsole) {
        hWnd = StartAndSignIn();
        ASSERT_NE(hWnd, nullptr);
        WaitForRequests(1, hWnd);
        // A size of the member's own, other than the stored one the console opened with.
        ::SetWindowPos(hWnd, nullptr, 0, 0, 940, 630, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ui::Sync(hWnd);
        ui::TypeText(hWnd, IDC_MESSAGE, L"Hello");
        SelectRows(hWnd, {0});
    } else {
        ASSERT_TRUE(m_app.Start());
        hWnd = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hWnd, nullptr);
    }

    const size_t nRequests = test.nOpened == IDC_REFRESH ? 2 : test.bConsole ? 1 : 0;
    if (test.nOpened) {
        StandinAnswer held;
        held.delayMs = 60000;
        m_standin.QueueAnswer(held);
        ui::Click(hWnd, test.nOpened);
        EXPECT_TRUE(
            ui::WaitFor([&] { return m_app.VisibleWindows().size() > 1 && CommandRequests().size() == nRequests; }));
    }
    // Windows asks every top-level window, then tells every one.
    const std::vector<HWND> windows = m_app.VisibleWindows();
    for (HWND hTopLevel : windows) {
        EXPECT_THAT(Send(hTopLevel, WM_QUERYENDSESSION, 0, test.lParam), Optional(TRUE));
    }
    for (HWND hTopLevel : windows) {
        Send(hTopLevel, WM_ENDSESSION, TRUE, test.lParam);  // the program may be gone before the last one
    }
    if (test.bTerminated) {
        m_app.Terminate();
    } else {
        // Any box or another sign-in would keep the program running.
        EXPECT_TRUE(ui::WaitFor([&] { return !m_app.IsRunning() || m_app.FindMessageBox(); }));
        EXPECT_FALSE(m_app.FindMessageBox());
        EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
    }
    if (test.bConsole) {
        EXPECT_THAT(StoredDword(L"Main Panel Width"), Optional(940u));
        EXPECT_THAT(StoredDword(L"Main Panel Height"), Optional(630u));
        EXPECT_THAT(StoredDword(L"Main Panel Maximized"), Optional(0u));
    }
    EXPECT_THAT(CommandRequests(), ::testing::SizeIs(nRequests)) << "no request after the end";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, EndSessionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EndSessionCase>& info) { return info.param.name; });

}  // namespace
