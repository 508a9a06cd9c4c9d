#include "consolesession.h"

#include <functional>

// While the service takes its time, Windows must never count the program as
// hung: another process gets its messages answered throughout, and what the
// member or another program asks for meanwhile is done after the exchange.
namespace {

enum class Where { Refresh, Send, Add };

struct StallCase {
    const char* name;
    Where where;
    bool bSentCommand;  // a button command sent from outside, else a click posted
};

const StallCase kCases[] = {
    {"AtARefreshAClickWaits", Where::Refresh, false},
    {"AtASendACommandWaits", Where::Send, true},
    {"AtAnAddACommandWaits", Where::Add, true},
};

void PrintTo(const StallCase& test, std::ostream* os) { *os << test.name; }

// Longer than the 5 s after which Windows calls a window hung.
constexpr int kStallMs = 20000;

bool AnswersAtOnce(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

class ResponsiveTest : public ConsoleSession, public ::testing::WithParamInterface<StallCase> {
protected:
    // The dialog whose button starts the exchange, ready for the click.
    HWND OpenDialog(HWND hConsole, Where where)
    {
        if (where == Where::Send) {
            ui::TypeText(hConsole, IDC_MESSAGE, L"Hello");
            SelectRows(hConsole, {0});
            ui::Click(hConsole, IDC_SEND);
            return m_app.WaitForWindow(L"Send Summary");
        }
        if (where == Where::Add) {
            ui::Click(hConsole, IDC_ADDNEW);
            HWND hAdd = m_app.WaitForWindow(L"Add New Contact");
            ui::TypeText(hAdd, IDC_FIRSTNAME, L"Zoe");
            ui::TypeText(hAdd, IDC_NUMBER, L"00441234567");
            return hAdd;
        }
        return hConsole;
    }
};

TEST_P(ResponsiveTest, TheProgramAnswersThroughoutAndActsOnInputAfterTheExchange)
{
    const StallCase& test = GetParam();
    UseAccount({{"5", "Eve", std::string("Ray"), "0799"}});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    HWND hDlg = OpenDialog(hConsole, test.where);
    ASSERT_NE(hDlg, nullptr);

    // An empty answer leaves the summary and the add dialog open.
    StandinAnswer stall{""};
    stall.delayMs = kStallMs;
    ASSERT_TRUE(m_standin.QueueAnswer(stall));
    const size_t nBefore = CommandRequests().size();
    ui::Click(hDlg, test.where == Where::Refresh ? IDC_REFRESH : IDOK);
    ASSERT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == nBefore + 1; }));

    if (test.bSentCommand) {
        EXPECT_TRUE(AnswersAtOnce(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDCANCEL))));
    } else {
        ui::Click(hDlg, IDC_ADDNEW);
    }
    std::function<bool()> acted = [&] { return !::IsWindow(hDlg); };
    std::function<bool()> inFlight = [&] { return ProgressShown(); };
    if (test.where == Where::Refresh) {
        acted = [&] { return m_app.FindVisibleWindow(L"Add New Contact") != nullptr; };
    }
    if (test.where == Where::Send) {
        inFlight = [&] { return ::IsWindow(hDlg) && !ui::IsVisible(hDlg, IDOK); };
    }

    // The probes' own pace: Windows looks at a window's queue the same way.
    int nProbesInFlight = 0;
    for (bool bActed = acted(); inFlight(); bActed = acted()) {
        EXPECT_FALSE(bActed) << "acted on inside the exchange";
        for (HWND hWnd : {hDlg, hConsole}) {
            EXPECT_TRUE(AnswersAtOnce(hWnd, WM_NULL));
            EXPECT_FALSE(::IsHungAppWindow(hWnd));
        }
        ++nProbesInFlight;
        ::Sleep(1000);
    }
    EXPECT_GT(nProbesInFlight, 5) << "the exchange ended before Windows would call a window hung";
    EXPECT_TRUE(ui::WaitFor([&] { return acted(); })) << "the input was lost";
    ExpectNoBox();
}

INSTANTIATE_TEST_SUITE_P(DuringAStall, ResponsiveTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StallCase>& info) { return info.param.name; });

}  // namespace
