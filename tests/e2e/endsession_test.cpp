#include "consolesession.h"

#include <optional>

// The end of the logon session, or the Restart Manager closing the program for
// an upgrade, as the system tells the program's windows from outside: they agree,
// store the console's placement and end without asking.
namespace {

using ::testing::Optional;

struct EndSessionCase {
    const char* name;
    bool bConsole;      // else the sign-in dialog
    LPARAM lParam;      // what ends: ENDSESSION_CLOSEAPP or ENDSESSION_LOGOFF
    bool bTerminated;   // as at a logoff, the process is ended once the windows have answered
};

const EndSessionCase kCases[] = {
    {"ConsoleClosedForAnUpgrade", true, ENDSESSION_CLOSEAPP, false},
    {"ConsoleAtALogoff", true, ENDSESSION_LOGOFF, true},
    {"SignInClosedForAnUpgrade", false, ENDSESSION_CLOSEAPP, false},
};

void PrintTo(const EndSessionCase& test, std::ostream* os) { *os << test.name; }

std::optional<LRESULT> Send(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_NORMAL, CAppDriver::kDefaultTimeoutMs, &result)) {
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
    } else {
        ASSERT_TRUE(m_app.Start());
        hWnd = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hWnd, nullptr);
    }

    EXPECT_THAT(Send(hWnd, WM_QUERYENDSESSION, 0, test.lParam), Optional(TRUE));
    ASSERT_TRUE(Send(hWnd, WM_ENDSESSION, TRUE, test.lParam)) << "the window did not answer: a box may be up";
    if (test.bTerminated) {
        m_app.Terminate();
    } else {
        // Any box or another sign-in would keep the program running.
        EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
    }
    if (test.bConsole) {
        EXPECT_THAT(StoredDword(L"Main Panel Width"), Optional(940u));
        EXPECT_THAT(StoredDword(L"Main Panel Height"), Optional(630u));
        EXPECT_THAT(StoredDword(L"Main Panel Maximized"), Optional(0u));
    }
    EXPECT_THAT(CommandRequests(), ::testing::SizeIs(test.bConsole ? 1u : 0u)) << "no request after the end";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, EndSessionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EndSessionCase>& info) { return info.param.name; });

}  // namespace
