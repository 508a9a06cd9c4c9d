#include "consolesession.h"

// While the service holds an answer for longer than Windows waits before it
// calls a window hung, another process gets the program's messages answered,
// and a click posted or a command sent meanwhile is acted on after the exchange.
namespace {

struct StallCase {
    const char* name;
    int nOpen;              // the console's button that opens the dialog, or 0
    const wchar_t* pszDlg;  // its caption
};
const StallCase kCases[] = {{"AtARefresh", 0, nullptr},
                            {"AtASend", IDC_SEND, L"Send Summary"},
                            {"AtAnAdd", IDC_ADDNEW, L"Add New Contact"}};
void PrintTo(const StallCase& test, std::ostream* os) { *os << test.name; }

bool AnswersAtOnce(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

class ResponsiveTest : public ConsoleSession, public ::testing::WithParamInterface<StallCase> {};

TEST_P(ResponsiveTest, TheProgramAnswersThroughoutAndActsOnInputAfterTheExchange)
{
    const StallCase& test = GetParam();
    UseAccount({{"5", "Eve", std::string("Ray"), "0799"}});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ui::TypeText(hConsole, IDC_MESSAGE, L"Hello");
    SelectRows(hConsole, {0});
    HWND hDlg = hConsole;
    if (test.nOpen) {
        ui::Click(hConsole, test.nOpen);
        ASSERT_NE(hDlg = m_app.WaitForWindow(test.pszDlg), nullptr);
        ui::SetText(hDlg, IDC_FIRSTNAME, L"Zoe");  // the summary has neither field
        ui::SetText(hDlg, IDC_NUMBER, L"00441234567");
    }
    // An empty answer 20 s late: the summary and the add dialog stay open.
    StandinAnswer stall;
    stall.delayMs = 20000;
    ASSERT_TRUE(m_standin.QueueAnswer(stall));
    ui::Click(hDlg, test.nOpen ? IDOK : IDC_REFRESH);
    ASSERT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == 2; }));
    // The console gets a click on Add New, a dialog a Cancel sent from here.
    if (test.nOpen) {
        EXPECT_TRUE(AnswersAtOnce(hDlg, WM_COMMAND, IDCANCEL, 0));
    } else {
        ui::Click(hConsole, IDC_ADDNEW);
    }
    auto acted = [&] { return test.nOpen ? !::IsWindow(hDlg) : !!m_app.FindVisibleWindow(L"Add New Contact"); };
    auto inFlight = [&] { return ProgressShown() || (::IsWindow(hDlg) && !ui::IsVisible(hDlg, IDOK)); };
    int nProbes = 0;
    for (bool bActed = acted(); inFlight(); bActed = acted(), ++nProbes) {
        EXPECT_FALSE(bActed) << "acted on inside the exchange";
        for (HWND hWnd : {hDlg, hConsole}) {
            EXPECT_TRUE(AnswersAtOnce(hWnd, WM_NULL));
            EXPECT_FALSE(::IsHungAppWindow(hWnd));
        }
        ::Sleep(1000);  // the pace of the probes, as Windows looks at a queue
    }
    EXPECT_GT(nProbes, 5) << "the exchange ended before Windows would call a window hung";
    EXPECT_TRUE(ui::WaitFor(acted)) << "the input was lost";
    ExpectNoBox();
}

INSTANTIATE_TEST_SUITE_P(DuringAStall, ResponsiveTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<StallCase>& info) { return info.param.name; });

}  // namespace
