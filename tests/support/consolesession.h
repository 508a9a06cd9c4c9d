#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appdriver.h"
#include "resource.h"
#include "standinclient.h"

// A member's session with the real program and the stand-in service: an
// account on the service, the program started, and helpers that act and look
// as a member would.
class ConsoleSession : public ::testing::Test {
protected:
    static constexpr wchar_t kLoginCaption[] = L"Quillbay - 1.0 - Login";
    static constexpr wchar_t kConsoleCaption[] = L"Quillbay Console - 1.0";
    static constexpr char kEmail[] = "member@quillbay.test";
    static constexpr char kPassword[] = "secret";
    static constexpr char kCommandPath[] = "/scripts/orvexconsole/command.php";

    void SetUp() override;

    // The member's account: contacts in list order, numbers given, ids as given.
    void UseAccount(const std::vector<StandinContact>& contacts, const std::string& credits = "25");
    // Starts the program and signs in; the console's window, or null.
    HWND StartAndSignIn(const char* pszPassword = kPassword);
    HWND SignIn(HWND hLogin, const char* pszPassword = kPassword);

    // The next message box must have this text and caption; it is answered,
    // and the code that opened it has carried on when this returns.
    void ExpectBox(const std::wstring& text, const std::wstring& caption, int nAnswer = IDOK);
    // No box is up; call it once the program is known to be done acting.
    void ExpectNoBox();

    // Clicks a button that starts exchanges and returns once the program is
    // idle again after the service has seen the given number of requests.
    void ClickAndWaitForRequests(HWND hDlg, int nId, size_t nRequests);
    // Waits for the number of command requests, then until the last exchange
    // is over (its progress window gone, or a box waiting for the member) and
    // hIdle's thread takes messages again.
    void WaitForRequests(size_t nRequests, HWND hIdle);
    bool ProgressShown() const;

    std::vector<RecordedRequest> CommandRequests();
    std::string LastCommandBody();
    // What the member reads: the list rows as ANSI text.
    std::vector<std::string> Rows(HWND hConsole);
    std::wstring CreditLabel(HWND hConsole) { return ui::GetItemText(hConsole, IDC_CREDITS); }
    void SelectRows(HWND hConsole, std::initializer_list<int> rows);

    CStandinClient m_standin;
    CAppDriver m_app;
};

// The body the console sends for GETINFORMATION with the fixture's account.
std::string DetailsRequestBody();
