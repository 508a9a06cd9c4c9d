#include "consolesession.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

// The end of the logon session, or the Restart Manager closing the program for
// an upgrade, as the system tells the program's windows from outside: they agree,
// store the console's placement and end without asking, whatever is open.
namespace {

using ::testing::Optional;

// What is open in the console when the session ends.
enum class Open { Nothing, AddNewContact, SendSummary, ExitQuestion, Exchange };

struct EndSessionCase {
    const char* name;
    bool bConsole;      // else the sign-in dialog
    LPARAM lParam;      // what ends: ENDSESSION_CLOSEAPP or ENDSESSION_LOGOFF
    bool bTerminated;   // as at a logoff, the process is ended once the windows have answered
    Open open = Open::Nothing;
};

const EndSessionCase kCases[] = {
    {"ConsoleClosedForAnUpgrade", true, ENDSESSION_CLOSEAPP, false},
    {"ConsoleAtALogoff", true, ENDSESSION_LOGOFF, true},
    {"SignInClosedForAnUpgrade", false, ENDSESSION_CLOSEAPP, false},
    {"AddNewContactOpen", true, ENDSESSION_CLOSEAPP, false, Open::AddNewContact},
    {"SendSummaryOpen", true, ENDSESSION_CLOSEAPP, false, Open::SendSummary},
    {"ExitQuestionOpen", true, ENDSESSION_CLOSEAPP, false, Open::ExitQuestion},
    {"DuringAnExchange", true, ENDSESSION_CLOSEAPP, false, Open::Exchange},
};

void PrintTo(const EndSessionCase& test, std::ostream* os) { *os << test.name; }

// As Windows does: a window that has not answered within its hung-window time
// is skipped.
std::optional<LRESULT> Send(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// Every top-level window of the process, hidden ones included.
std::vector<HWND> TopLevelWindows(DWORD processId)
{
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            Search& s = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hWnd, &owner);
            if (owner == s.processId) {
                s.windows.push_back(hWnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
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

class EndSessionTest : public ConsoleSession, public ::testing::WithParamInterface<EndSessionCase> {
protected:
    // Opens what the case names and waits until it is up.
    void OpenInConsole(HWND hConsole, Open open)
    {
        switch (open) {
        case Open::Nothing:
            break;
        case Open::AddNewContact:
            ui::Click(hConsole, IDC_ADDNEW);
            EXPECT_NE(m_app.WaitForWindow(L"Add New Contact"), nullptr);
            break;
        case Open::SendSummary:
            ui::TypeText(hConsole, IDC_MESSAGE, L"Hello");
            SelectRows(hConsole, {0});
            ui::Click(hConsole, IDC_SEND);
            EXPECT_NE(m_app.WaitForWindow(L"Send Summary"), nullptr);
            break;
        case Open::ExitQuestion:
            ui::Click(hConsole, IDCANCEL);
            EXPECT_TRUE(m_app.WaitForMessageBox());
            break;
        case Open::Exchange: {
            StandinAnswer stall;
            stall.delayMs = 60000;
            EXPECT_TRUE(m_standin.QueueAnswer(stall));
            ui::Click(hConsole, IDC_REFRESH);
            EXPECT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == 2; }));
            break;
        }
        }
    }
};

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
        OpenInConsole(hWnd, test.open);
    } else {
        ASSERT_TRUE(m_app.Start());
        hWnd = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hWnd, nullptr);
    }

    const std::vector<HWND> windows = TopLevelWindows(m_app.ProcessId());
    for (HWND hTopLevel : windows) {
        EXPECT_THAT(Send(hTopLevel, WM_QUERYENDSESSION, 0, test.lParam), Optional(TRUE));
    }
    auto start = std::chrono::steady_clock::now();
    // The program may end before the last window is told.
    ASSERT_TRUE(Send(hWnd, WM_ENDSESSION, TRUE, test.lParam)) << "the window did not answer: a box may be up";
    for (HWND hTopLevel : windows) {
        if (hTopLevel != hWnd) {
            Send(hTopLevel, WM_ENDSESSION, TRUE, test.lParam);
        }
    }
    if (test.bTerminated) {
        m_app.Terminate();
    } else {
        // Any box or another sign-in would keep the program running.
        EXPECT_TRUE(ui::WaitFor([&] { return !m_app.IsRunning() || m_app.FindMessageBox(); }));
        EXPECT_FALSE(m_app.FindMessageBox()) << Narrow(m_app.FindMessageBox()->text);
        EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
        std::printf("[ ended    ] %s: %.2f s after WM_ENDSESSION\n", test.name,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (test.bConsole) {
        EXPECT_THAT(StoredDword(L"Main Panel Width"), Optional(940u));
        EXPECT_THAT(StoredDword(L"Main Panel Height"), Optional(630u));
        EXPECT_THAT(StoredDword(L"Main Panel Maximized"), Optional(0u));
    }
    size_t nRequests = test.open == Open::Exchange ? 2u : test.bConsole ? 1u : 0u;
    EXPECT_THAT(CommandRequests(), ::testing::SizeIs(nRequests)) << "no request after the end";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, EndSessionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EndSessionCase>& info) { return info.param.name; });

}  // namespace
