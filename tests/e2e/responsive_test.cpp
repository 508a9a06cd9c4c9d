#include "consolesession.h"

// While the service holds an answer longer than Windows waits before it calls a window hung, another process gets
// the program's messages answered, and a click posted or a command sent meanwhile is acted on after the exchange.
namespace {

struct StallCase {
    const char* name;
    int nOpen;  // the console's button that opens the dialog (its caption next), or 0
    const wchar_t* pszDlg;
};
void PrintTo(const StallCase& test, std::ostream* os) { *os << test.name; }

bool AnswersAtOnce(HWND hWnd, UINT uMsg, WPARAM wParam = 0)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hWnd, uMsg, wParam, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
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
    StandinAnswer stall;  // empty: the summary and the add dialog stay open
    stall.delayMs = 20000;
    ASSERT_TRUE(m_standin.QueueAnswer(stall));
    ui::Click(hDlg, test.nOpen ? IDOK : IDC_REFRESH);
    ASSERT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == 2; }));
    // A dialog is sent a Cancel, the console gets a click on Add New.
    EXPECT_TRUE(test.nOpen ? AnswersAtOnce(hDlg, WM_COMMAND, IDCANCEL) : (ui::Click(hConsole, IDC_ADDNEW), true));
    auto acted = [&] { return test.nOpen ? !::IsWindow(hDlg) : !!m_app.FindVisibleWindow(L"Add New Contact"); };
    int nProbes = 0;
    for (bool bActed = acted(); ProgressShown() || (::IsWindow(hDlg) && !ui::IsVisible(hDlg, IDOK));
         bActed = acted(), ++nProbes) {
        EXPECT_FALSE(bActed) << "acted on inside the exchange";
        for (HWND hWnd : {hDlg, hConsole}) {
            EXPECT_TRUE(AnswersAtOnce(hWnd, WM_NULL));
            EXPECT_FALSE(::IsHungAppWindow(hWnd));
        }
        ::Sleep(1000);  // the pace of the probes
    }
    EXPECT_GT(nProbes, 5) << "the exchange ended before Windows would call a window hung";
    EXPECT_TRUE(ui::WaitFor(acted)) << "the input was lost";
    ExpectNoBox();
}

INSTANTIATE_TEST_SUITE_P(DuringAStall, ResponsiveTest,
                         ::testing::Values(StallCase{"AtARefresh", 0, nullptr},
                                           StallCase{"AtASend", IDC_SEND, L"Send Summary"},
                                           StallCase{"AtAnAdd", IDC_ADDNEW, L"Add New Contact"}),
                         [](const ::testing::TestParamInfo<StallCase>& info) { return info.param.name; });

}  // namespace
