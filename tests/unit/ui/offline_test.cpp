// The dialogs' exchanges when no Internet session can be opened: the machine
// is offline and dialling is refused. Each dialog runs in this process on the
// test thread while a second thread answers its boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "appdriver.h"
#include "base/handles.h"
#include "net/internetapi.h"
#include "resource.h"
#include "ui/console/maindlg.h"
#include "ui/dialogs/newcontactdlg.h"
#include "ui/dialogs/sendsummarydlg.h"

namespace {

const std::wstring kNoInternetText =
    L"Cannot connect to the Internet. Please check internet settings and try again.";
const std::wstring kNoInternetCaption = L"Cannot Connect to Internet";

class OfflineApi : public CInternetApi {
public:
    BOOL InternetGetConnectedState(LPDWORD pdwFlags, DWORD) override
    {
        *pdwFlags = 0;
        return FALSE;
    }
    BOOL InternetAutodial(DWORD, HWND) override
    {
        ++m_nDials;
        return FALSE;
    }
    HINTERNET InternetOpenA(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) override
    {
        ++m_nOpens;
        return nullptr;
    }

    int m_nDials = 0;
    int m_nOpens = 0;
};

class OfflineTest : public ::testing::Test {
protected:
    // Runs a dialog modally here; the script acts on its windows meanwhile.
    template <class Dialog, class Script>
    INT_PTR RunWhile(Dialog& dialog, Script script)
    {
        std::thread driver([&] {
            CAppDriver watcher;
            watcher.Watch(::GetCurrentProcessId());
            script(watcher);
        });
        INT_PTR nResult = dialog.DoModal(nullptr);
        driver.join();
        return nResult;
    }

    static void ExpectNoInternetBox(CAppDriver& watcher)
    {
        auto box = watcher.WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, kNoInternetText);
        EXPECT_EQ(box->caption, kNoInternetCaption);
        CAppDriver::Answer(*box);
        watcher.WaitUntilWindowGone(box->hWnd);
    }

    OfflineApi m_api;
    CScopedInternetApi m_scopedApi{m_api};
};

TEST_F(OfflineTest, TheConsoleSaysSoAndEndsWithoutAFlag)
{
    CMainDlg dlgMain;
    dlgMain.SetUserName(CBstr(L"member@quillbay.test"));
    dlgMain.SetPassword(CSealedText(CBstr(L"secret")));
    INT_PTR nResult = RunWhile(dlgMain, ExpectNoInternetBox);

    EXPECT_EQ(nResult, 0);
    EXPECT_FALSE(dlgMain.IsLoginFailed());
    EXPECT_FALSE(dlgMain.IsLogout());
    EXPECT_FALSE(dlgMain.IsUpdateRequired());
    EXPECT_EQ(m_api.m_nDials, 1) << "a dial is attempted once";
    EXPECT_EQ(m_api.m_nOpens, 0);
}

// Notes, as the progress window goes, whether the console is still on screen:
// a dialog that has ended is hidden at once.
struct ProgressEndProbe {
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (nCode == HCBT_DESTROYWND && ::GetDlgItem(hWnd, IDC_PROGRESS_BAR)) {
            s_consoleShown.push_back(::IsWindowVisible(::FindWindowW(L"#32770", L"Quillbay Console - 1.0")) != FALSE);
        }
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static inline std::vector<bool> s_consoleShown;
};

TEST_F(OfflineTest, TheConsoleEndsOnlyOnceItsProgressWindowHasClosed)
{
    const wchar_t kWindowsKey[] = L"Software\\Velmora\\Orvex\\Windows";
    DWORD dwMaximized = 1;  // shown during initialisation, so that its end can be seen
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kWindowsKey, L"Main Panel Maximized", REG_DWORD, &dwMaximized, 4);
    CHookHandle hHook(::SetWindowsHookExW(WH_CBT, ProgressEndProbe::Hook, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(hHook);
    CMainDlg dlgMain;
    RunWhile(dlgMain, ExpectNoInternetBox);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kWindowsKey);
    EXPECT_THAT(ProgressEndProbe::s_consoleShown, ::testing::ElementsAre(true));
}

TEST_F(OfflineTest, AddContactStaysOpenWithTheInput)
{
    CNewContactDlg dlgAdd;
    INT_PTR nResult = RunWhile(dlgAdd, [](CAppDriver& watcher) {
        HWND hAdd = watcher.WaitForWindow(L"Add New Contact");
        ASSERT_NE(hAdd, nullptr);
        ui::SetText(hAdd, IDC_FIRSTNAME, L"Zoe");
        ui::SetText(hAdd, IDC_NUMBER, L"0711");
        ui::Click(hAdd, IDOK);
        ExpectNoInternetBox(watcher);
        ui::Sync(hAdd);
        EXPECT_TRUE(::IsWindowVisible(hAdd));
        EXPECT_EQ(ui::GetItemText(hAdd, IDC_FIRSTNAME), L"Zoe");
        ui::Click(hAdd, IDCANCEL);
    });
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_FALSE(dlgAdd.IsAdded());
}

TEST_F(OfflineTest, TheSendSummaryStaysReadyForAnotherAttempt)
{
    CSendSummaryDlg dlgSend;
    dlgSend.SetMessage(CBstr(L"Hello"));
    dlgSend.SetContactCount(1);
    INT_PTR nResult = RunWhile(dlgSend, [](CAppDriver& watcher) {
        HWND hSummary = watcher.WaitForWindow(L"Send Summary");
        ASSERT_NE(hSummary, nullptr);
        EXPECT_EQ(ui::GetItemText(hSummary, IDC_SUMMARY_TEXT),
                  L"To send this message to the 1 contacts selected, click the 'Send Now...' button below:");
        ui::Click(hSummary, IDOK);
        ExpectNoInternetBox(watcher);
        EXPECT_TRUE(ui::WaitFor([&] {
            return ui::IsVisible(hSummary, IDOK) && ui::IsVisible(hSummary, IDCANCEL) &&
                   !ui::IsVisible(hSummary, IDC_SEND_PROGRESS);
        })) << "the buttons are back, the sending state gone";
        ui::Click(hSummary, IDCANCEL);
    });
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_FALSE(dlgSend.IsSent());
}

}  // namespace
