// Alt and a label's underlined letter take the keyboard to the control the
// label names: the edits of the sign-in and add-contact dialogs, and the
// console's contact list and message.
#include "consolesession.h"

namespace {

struct AccessKey {
    wchar_t key;
    int nTarget;
};

HWND FocusIn(HWND hDlg)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hDlg, nullptr), &info);
    return info.hwndFocus;
}

// Alt+key as the dialog's message loop receives it, posted like a key press;
// in reverse order, so that no key lands where the focus already is.
void ExpectKeysReachTheirControls(HWND hDlg, std::initializer_list<AccessKey> keys)
{
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        ::PostMessageW(hDlg, WM_SYSCHAR, it->key, 1 << 29);
        HWND hTarget = ::GetDlgItem(hDlg, it->nTarget);
        EXPECT_TRUE(ui::WaitFor([&] { return FocusIn(hDlg) == hTarget; })) << "Alt+" << static_cast<char>(it->key);
    }
}

class AccessKeyTest : public ConsoleSession {};

TEST_F(AccessKeyTest, EveryLabelTakesTheFocusToItsControl)
{
    UseAccount({{"1", "Ann", std::string("Lee"), "111"}});
    ASSERT_TRUE(m_app.Start());
    HWND hLogin = m_app.WaitForWindow(kLoginCaption);
    ASSERT_NE(hLogin, nullptr);
    ExpectKeysReachTheirControls(hLogin, {{L'e', IDC_EMAIL}, {L'p', IDC_PASSWORD}});

    HWND hConsole = SignIn(hLogin);
    ASSERT_NE(hConsole, nullptr);
    ExpectKeysReachTheirControls(hConsole, {{L'c', IDC_CONTACTS}, {L'e', IDC_MESSAGE}});

    ui::Click(hConsole, IDC_ADDNEW);
    HWND hAdd = m_app.WaitForWindow(L"Add New Contact");
    ASSERT_NE(hAdd, nullptr);
    ExpectKeysReachTheirControls(hAdd, {{L'f', IDC_FIRSTNAME}, {L'l', IDC_LASTNAME}, {L'm', IDC_NUMBER}});
    ui::Click(hAdd, IDCANCEL);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hAdd));
}

}  // namespace
