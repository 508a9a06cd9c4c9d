#include "consolesession.h"

// While the service holds an answer longer than Windows waits before it calls a window hung, another process gets
// the program's messages answered; the member's clicks and the commands other programs send meanwhile act neither
// then nor later, and a close is carried out once the exchange is over.
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

TEST_P(ResponsiveTest, TheProgramAnswersThroughoutAndNothingActsLater)
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
    stall.delayMs = 10000;
    ASSERT_TRUE(m_standin.QueueAnswer(stall));
    ui::Click(hDlg, test.nOpen ? IDOK : IDC_REFRESH);
    ASSERT_TRUE(ui::WaitFor([&] { return CommandRequests().size() == 2; }));
    if (test.nOpen) {
        // Another program sends the dialog its OK (Send Now, Add) once more, and a close.
        EXPECT_TRUE(AnswersAtOnce(hDlg, WM_COMMAND, IDOK));
        EXPECT_TRUE(AnswersAtOnce(hDlg, WM_CLOSE));
    } else {
        // The member clicks Logout and Add New...; another program sends Refresh.
        ui::RealClick(hConsole, IDOK);
        ui::RealClick(hConsole, IDC_ADDNEW);
        EXPECT_TRUE(AnswersAtOnce(hConsole, WM_COMMAND, IDC_REFRESH));
    }
    auto acted = [&] {
        return !::IsWindow(hDlg) || CommandRequests().size() > 2 || m_app.FindVisibleWindow(kLoginCaption) ||
               (!test.nOpen && m_app.FindVisibleWindow(L"Add New Contact"));
    };
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
    // A dialog's close comes after the exchange; the console stays as it was.
    EXPECT_TRUE(m_app.WaitUntilWindowGone(test.nOpen ? hDlg : nullptr));
    EXPECT_TRUE(m_app.SyncAfterExchanges(hConsole));
    EXPECT_EQ(CommandRequests().size(), 2u) << "a command acted on after the exchange";
    EXPECT_TRUE(::IsWindowVisible(hConsole));
    EXPECT_EQ(m_app.VisibleWindows(), std::vector<HWND>{hConsole});
    ExpectNoBox();
}

INSTANTIATE_TEST_SUITE_P(DuringAStall, ResponsiveTest,
                         ::testing::Values(StallCase{"AtARefresh", 0, nullptr},
                                           StallCase{"AtASend", IDC_SEND, L"Send Summary"},
                                           StallCase{"AtAnAdd", IDC_ADDNEW, L"Add New Contact"}),
                         [](const ::testing::TestParamInfo<StallCase>& info) { return info.param.name; });

}  // namespace
