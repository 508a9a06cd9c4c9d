// The thread's code page (Russian, 1251) is not the system's (1252), which 8-bit
// window calls decode with. The console runs here, on the test thread.
#include <thread>

#include "base/mbstring.h"
#include "consolesession.h"
#include "ui/console/maindlg.h"

using ThreadCodePageTest = ConsoleSession;

TEST_F(ThreadCodePageTest, RussianTextsShowExactlyUnderTheSystemCodePage1252)
{
    ASSERT_EQ(::GetACP(), 1252u);
    const LCID lcidBefore = ::GetThreadLocale();
    ::SetThreadLocale(0x419);
    ASSERT_EQ(ThreadAnsiCodePage(), 1251u);
    // "Анна Петрова" in 1251; the send summary's answer names a number in it too.
    UseAccount({{"1", "\xC0\xED\xED\xE0", std::string("\xCF\xE5\xF2\xF0\xEE\xE2\xE0"), "00491701234567"}});
    StandinAnswer invalid;
    invalid.body = "INVALID_CONTACT:\xC0\xED\xED\xE0";
    const std::wstring anna = L"\x0410\x043D\x043D\x0430", privet = L"\x041F\x0440\x0438\x0432\x0435\x0442";
    m_app.Watch(::GetCurrentProcessId());
    std::thread driver([&] {
        HWND hConsole = m_app.WaitForWindow(kConsoleCaption);
        EXPECT_EQ(ui::ListRows(hConsole, IDC_CONTACTS),
                  std::vector<std::wstring>{anna + L" \x041F\x0435\x0442\x0440\x043E\x0432\x0430 (00491701234567)"});
        SelectRows(hConsole, {0});
        ui::TypeText(hConsole, IDC_MESSAGE, privet);
        ui::Click(hConsole, IDC_SEND);
        ExpectBox(L"The text contains characters that cannot be sent: " + privet +
                      L". Please replace them and try again.",
                  L"Unsupported Characters");
        EXPECT_EQ(CommandRequests().size(), 1u) << "only the details were asked for";
        ui::SetText(hConsole, IDC_MESSAGE, L"Hi");
        EXPECT_TRUE(m_standin.QueueAnswer(invalid));
        ui::Click(hConsole, IDC_SEND);
        HWND hSummary = m_app.WaitForWindow(L"Send Summary");
        ui::Click(hSummary, IDOK);
        ExpectBox(L"The contact number: " + anna + L" seems to be invalid. Please check and try again.",
                  L"Contact Validation Error");
        ui::Click(hSummary, IDCANCEL);
        EXPECT_TRUE(m_app.WaitUntilWindowGone(hSummary));
        ui::Click(hConsole, IDOK);
    });
    CMainDlg dlgMain;
    dlgMain.SetUserName(CBstr(Widen(kEmail).c_str()));
    dlgMain.SetPassword(CSealedText(CBstr(Widen(kPassword).c_str())));
    dlgMain.DoModal(nullptr);
    driver.join();
    ::SetThreadLocale(lcidBefore);
}
