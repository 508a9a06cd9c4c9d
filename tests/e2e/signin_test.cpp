#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "appdriver.h"
#include "resource.h"
#include "standinclient.h"

namespace {

using ::testing::Optional;

const wchar_t kLoginCaption[] = L"Quillbay - 1.0 - Login";
const wchar_t kConsoleCaption[] = L"Quillbay Console - 1.0";

class SignInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_standin.Reset());
        ASSERT_TRUE(m_app.Start());
        m_hLogin = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(m_hLogin, nullptr);
    }

    void SubmitAndExpectBox(const std::wstring& text, const std::wstring& caption)
    {
        ui::Click(m_hLogin, IDOK);
        auto box = m_app.WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, caption);
        CAppDriver::Answer(*box);
        ASSERT_TRUE(m_app.WaitUntilWindowGone(box->hWnd));
        EXPECT_TRUE(::IsWindowVisible(m_hLogin)) << "the sign-in dialog stays open";
    }

    HWND SignInToConsole()
    {
        ui::SetText(m_hLogin, IDC_EMAIL, L"demo@quillbay.test");
        ui::SetText(m_hLogin, IDC_PASSWORD, L"demo1234");
        ui::Click(m_hLogin, IDOK);
        // A click while the details load would be dropped.
        HWND hConsole = m_app.WaitForWindow(kConsoleCaption);
        return hConsole && m_app.SyncAfterExchanges(hConsole) ? hConsole : nullptr;
    }

    CStandinClient m_standin;
    CAppDriver m_app;
    HWND m_hLogin = nullptr;
};

TEST_F(SignInTest, MissingOrMalformedDetailsKeepTheDialogOpen)
{
    SubmitAndExpectBox(L"Please enter your email address and password.", L"Details");

    ui::SetText(m_hLogin, IDC_EMAIL, L"a@b");
    SubmitAndExpectBox(L"Please enter your email address and password.", L"Details");

    ui::SetText(m_hLogin, IDC_PASSWORD, L"secret");
    SubmitAndExpectBox(L"The Email address entered does not appear valid.", L"Invalid Email");
    EXPECT_EQ(ui::GetItemText(m_hLogin, IDC_EMAIL), L"a@b") << "the member's input is kept";
}

TEST_F(SignInTest, FieldsTakeAtMostTheirLimits)
{
    ui::TypeText(m_hLogin, IDC_EMAIL, std::wstring(120, L'e'));
    ui::TypeText(m_hLogin, IDC_PASSWORD, std::wstring(60, L'p'));
    EXPECT_EQ(ui::GetItemText(m_hLogin, IDC_EMAIL).size(), 100u);
    EXPECT_EQ(ui::GetItemText(m_hLogin, IDC_PASSWORD).size(), 50u);
}

TEST_F(SignInTest, LogoutReturnsToAnEmptySignInAndExitEndsTheProgram)
{
    HWND hConsole = SignInToConsole();
    ASSERT_NE(hConsole, nullptr);

    ui::Click(hConsole, IDOK);
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    EXPECT_FALSE(m_app.FindMessageBox()) << "no notice after a logout";
    EXPECT_EQ(ui::GetItemText(hLogin, IDC_EMAIL), L"");
    EXPECT_EQ(ui::GetItemText(hLogin, IDC_PASSWORD), L"");

    m_hLogin = hLogin;
    hConsole = SignInToConsole();
    ASSERT_NE(hConsole, nullptr);
    ui::Click(hConsole, IDCANCEL);
    auto box = m_app.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Exit?");
    EXPECT_EQ(box->caption, L"Exit Quillbay Console?");
    CAppDriver::Answer(*box, IDYES);
    EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
}

// The program waits out its quiet period, so the time from before the click
// can only come out longer on a busy machine; how soon it ends after that is
// for a benchmark, not for a test on a shared machine.
TEST_F(SignInTest, CancelEndsTheProcessAfterTheQuietPeriod)
{
    auto clicked = std::chrono::steady_clock::now();
    ui::Click(m_hLogin, IDCANCEL);
    ASSERT_TRUE(m_app.WaitUntilWindowGone(m_hLogin));

    EXPECT_THAT(m_app.WaitForExit(), Optional(0u));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clicked).count();
    EXPECT_GE(seconds, 5.0);
}

}  // namespace
