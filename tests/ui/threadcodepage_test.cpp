// The console under a regional format whose code page is not the system's:
// the thread's (Russian, 1251) decodes the answers, while 8-bit window calls
// would decode with the system's (1252). The console runs here, on the test
// thread, against the stand-in service, while a second thread reads its windows.
#include <gtest/gtest.h>

#include <thread>

#include "appdriver.h"
#include "base/mbstring.h"
#include "resource.h"
#include "standinclient.h"
#include "ui/maindlg.h"

namespace {

// "Анна Петрова" and a number, as the service sends them in code page 1251.
const StandinContact kAnna{"1", "\xC0\xED\xED\xE0", std::string("\xCF\xE5\xF2\xF0\xEE\xE2\xE0"), "00491701234567"};
const std::wstring kAnnaRow = L"\x0410\x043D\x043D\x0430 \x041F\x0435\x0442\x0440\x043E\x0432\x0430 (00491701234567)";
const std::wstring kPrivet = L"\x041F\x0440\x0438\x0432\x0435\x0442";  // "Привет"

class CThreadLocale {
public:
    explicit CThreadLocale(LCID lcid) : m_lcidPrevious(::GetThreadLocale()) { ::SetThreadLocale(lcid); }
    ~CThreadLocale() { ::SetThreadLocale(m_lcidPrevious); }

private:
    LCID m_lcidPrevious;
};

void ExpectBox(CAppDriver& watcher, const std::wstring& text, const std::wstring& caption, int nAnswer = IDOK)
{
    auto box = watcher.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, caption);
    CAppDriver::Answer(*box, nAnswer);
    EXPECT_TRUE(CAppDriver::WaitUntilWindowGone(box->hWnd));
}

TEST(ThreadCodePageTest, RussianTextsShowExactlyUnderTheSystemCodePage1252)
{
    ASSERT_EQ(::GetACP(), 1252u);
    CThreadLocale russian(0x419);
    ASSERT_EQ(ThreadAnsiCodePage(), 1251u);
    CStandinClient standin;
    ASSERT_TRUE(standin.Reset());
    ASSERT_TRUE(standin.SetAccount({"member@quillbay.test", "secret", "25", false, {kAnna}}));

    CMainDlg dlgMain;
    dlgMain.SetUserName(CBstr(L"member@quillbay.test"));
    dlgMain.SetPassword(CBstr(L"secret"));
    CAppDriver watcher;
    watcher.Watch(::GetCurrentProcessId());
    HWND hConsole = nullptr;
    auto script = [&] {
        hConsole = watcher.WaitForWindow(L"Quillbay Console - 1.0");
        ASSERT_NE(hConsole, nullptr);
        EXPECT_EQ(ui::ListRows(hConsole, IDC_CONTACTS), std::vector<std::wstring>{kAnnaRow});
        ui::CtrlClickListRow(hConsole, IDC_CONTACTS, 0);
        ui::TypeText(hConsole, IDC_MESSAGE, kPrivet);
        ui::Click(hConsole, IDC_SEND);
        const std::wstring refused = L"The text contains characters that cannot be sent: " + kPrivet;
        ExpectBox(watcher, refused + L". Please replace them and try again.", L"Unsupported Characters");
        EXPECT_EQ(standin.Requests().size(), 1u) << "only the details were asked for";

        // The summary's answer names the number in the thread's code page.
        ui::SetText(hConsole, IDC_MESSAGE, L"Hi");
        StandinAnswer invalid;
        invalid.body = "INVALID_CONTACT:" + kAnna.fn;
        ASSERT_TRUE(standin.QueueAnswer(invalid));
        ui::Click(hConsole, IDC_SEND);
        HWND hSummary = watcher.WaitForWindow(L"Send Summary");
        ASSERT_NE(hSummary, nullptr);
        ui::Click(hSummary, IDOK);
        ExpectBox(watcher, L"The contact number: " + kAnnaRow.substr(0, 4) +
                               L" seems to be invalid. Please check and try again.",
                  L"Contact Validation Error");
        ui::Click(hSummary, IDCANCEL);
        EXPECT_TRUE(CAppDriver::WaitUntilWindowGone(hSummary));
    };
    // Logout ends the console, whatever the script found.
    std::thread driver([&] {
        script();
        if (hConsole) {
            ui::Click(hConsole, IDOK);
        }
    });
    dlgMain.DoModal(nullptr);
    driver.join();
}

}  // namespace
