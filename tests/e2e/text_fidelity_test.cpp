#include "consolesession.h"

#include <cstdlib>

// The member's text goes out exactly or not at all, under whatever ANSI code
// page the program runs: tests/e2e/CMakeLists.txt runs this table once more
// under a non-Latin one.
namespace {

enum class Dialog { Composer, AddContact, SignIn };

struct FidelityCase {
    const char* name;
    Dialog dialog;
    // One text per field of the dialog, typed into the empty fields.
    std::vector<std::wstring> refused;
    std::wstring boxText;
    const wchar_t* boxCaption;
    // Then put in place of the refused texts; none: the case ends there.
    std::vector<std::wstring> accepted;
    std::string body;  // the request the accepted texts make
};

void PrintTo(const FidelityCase& c, std::ostream* os) { *os << c.name; }

std::wstring Unsupported(const std::wstring& characters)
{
    return L"The text contains characters that cannot be sent: " + characters + L". Please replace them and try again.";
}

// The password's box names the field, never a character of it.
const wchar_t kUnsupportedInPassword[] =
    L"The password contains characters that cannot be sent. Please check the keyboard layout and type it again.";

// "café £5 ñ", whose every character has an ISO 8859-1 code.
const wchar_t kLatin1[] = L"caf\xE9 \xA3" L"5 \xF1";
const char kLatin1Encoded[] = "caf%E9%20%A35%20%F1";

class TextFidelityTest : public ConsoleSession, public ::testing::WithParamInterface<FidelityCase> {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        // The second run names its code page, so that it cannot pass under the default one.
        if (const char* pszExpected = std::getenv("QB_EXPECT_ANSI_CODE_PAGE")) {
            ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(pszExpected)));
        }
        UseAccount({{"1", "Ann", std::string("Lee"), "111"}});
    }

    // Opens the dialog of the case; its window, or null.
    HWND Open(Dialog dialog)
    {
        if (dialog == Dialog::SignIn) {
            EXPECT_TRUE(m_app.Start());
            return m_app.WaitForWindow(kLoginCaption);
        }
        HWND hConsole = StartAndSignIn();
        if (!hConsole || dialog == Dialog::Composer) {
            return hConsole;
        }
        ui::Click(hConsole, IDC_ADDNEW);
        return m_app.WaitForWindow(L"Add New Contact");
    }

    static std::vector<int> Fields(Dialog dialog)
    {
        switch (dialog) {
        case Dialog::Composer:
            return {IDC_MESSAGE};
        case Dialog::AddContact:
            return {IDC_FIRSTNAME, IDC_LASTNAME, IDC_NUMBER};
        default:
            return {IDC_EMAIL, IDC_PASSWORD};
        }
    }

    // The button that checks the texts and sends them.
    static int SendButton(Dialog dialog) { return dialog == Dialog::Composer ? IDC_SEND : IDOK; }

    // The box must be owned by the dialog; afterwards the dialog is open with
    // the texts as typed and the service has seen nothing new.
    void ExpectRefused(HWND hDlg, const FidelityCase& c)
    {
        size_t nBefore = CommandRequests().size();
        ui::Click(hDlg, SendButton(c.dialog));
        auto box = m_app.WaitForMessageBox();
        ASSERT_TRUE(box) << "no box";
        EXPECT_EQ(box->text, c.boxText);
        EXPECT_EQ(box->caption, c.boxCaption);
        EXPECT_EQ(::GetWindow(box->hWnd, GW_OWNER), hDlg);
        CAppDriver::Answer(*box);
        ASSERT_TRUE(m_app.WaitUntilWindowGone(box->hWnd));
        ui::Sync(hDlg);

        EXPECT_TRUE(::IsWindowVisible(hDlg));
        std::vector<int> fields = Fields(c.dialog);
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(ui::GetItemText(hDlg, fields[i]), c.refused[i]) << "field " << fields[i];
        }
        EXPECT_EQ(CommandRequests().size(), nBefore) << "nothing reaches the service";
    }

    // Sends the accepted texts; the body of the request they made.
    std::string SendAccepted(HWND hDlg, const FidelityCase& c)
    {
        std::vector<int> fields = Fields(c.dialog);
        for (size_t i = 0; i < fields.size(); ++i) {
            ui::SetText(hDlg, fields[i], c.accepted[i]);
        }
        if (c.dialog == Dialog::SignIn) {
            StandinAccount account;
            account.email = "zo\xEB@quillbay.test";
            account.password = "caf\xE9 \xA3" "5 \xF1";
            EXPECT_TRUE(m_standin.SetAccount(account));
            ui::Click(hDlg, IDOK);
            EXPECT_NE(m_app.WaitForWindow(kConsoleCaption, 120000), nullptr);
            std::vector<RecordedRequest> requests = CommandRequests();
            return requests.empty() ? std::string() : requests.front().body;
        }
        HWND hSummary = hDlg;
        if (c.dialog == Dialog::Composer) {
            SelectRows(hDlg, {0});
            ui::Click(hDlg, IDC_SEND);
            hSummary = m_app.WaitForWindow(L"Send Summary");
            EXPECT_NE(hSummary, nullptr);
        }
        ui::Click(hSummary, IDOK);
        WaitForRequests(2, nullptr);
        std::vector<RecordedRequest> requests = CommandRequests();
        return requests.size() < 2 ? std::string() : requests[1].body;
    }
};

TEST_P(TextFidelityTest, RefusesWhatCannotBeSentAndSendsLatin1Exactly)
{
    const FidelityCase& c = GetParam();
    SCOPED_TRACE("ANSI code page " + std::to_string(::GetACP()));
    HWND hDlg = Open(c.dialog);
    ASSERT_NE(hDlg, nullptr);
    for (size_t i = 0; i < c.refused.size(); ++i) {
        ui::TypeText(hDlg, Fields(c.dialog)[i], c.refused[i]);
    }
    ExpectRefused(hDlg, c);
    if (!c.accepted.empty()) {
        EXPECT_EQ(SendAccepted(hDlg, c), c.body);
    }
}

const std::string kMember = "&password=secret&username=member%40quillbay.test&version=1.0";

INSTANTIATE_TEST_SUITE_P(
    EveryDialog, TextFidelityTest,
    ::testing::Values(
        FidelityCase{"Composer", Dialog::Composer, {L"Price \x03A9 ok, 5\x20AC \x0416 \x03A9"},
                     Unsupported(L"\x03A9\x20AC\x0416"), L"Unsupported Characters", {kLatin1},
                     "action=SEND&cn=111&message=" + std::string(kLatin1Encoded) + kMember},
        FidelityCase{"AddContact", Dialog::AddContact, {L"\x03A9mega", L"\x0141" L"ee", L"0044"},
                     Unsupported(L"\x03A9\x0141"), L"Unsupported Characters", {L"Zo\xEB", kLatin1, L"0044123"},
                     "action=ADDCONTACT&cn=0044123&fn=Zo%EB&ln=" + std::string(kLatin1Encoded) + kMember},
        FidelityCase{"AddContactEmptyFirstNameFirst", Dialog::AddContact, {L"", L"\x03A9", L"0044"},
                     L"Please enter the first name of your contact.", L"Enter First Name", {}, ""},
        FidelityCase{"SignIn", Dialog::SignIn, {L"zo\xEB@quillbay.test", L"p\x03A9ss\x20AC"},
                     kUnsupportedInPassword, L"Unsupported Characters", {L"zo\xEB@quillbay.test", kLatin1},
                     "action=GETINFORMATION&password=" + std::string(kLatin1Encoded) +
                         "&username=zo%EB%40quillbay.test&version=1.0"},
        FidelityCase{"SignInEmailListedPasswordNot", Dialog::SignIn, {L"\x0416@quillbay.test", L"p\x20AC"},
                     Unsupported(L"\x0416"), L"Unsupported Characters", {}, ""},
        FidelityCase{"SignInEmailCheckFirst", Dialog::SignIn, {L"\x03A9@quillbay", L"x"},
                     L"The Email address entered does not appear valid.", L"Invalid Email", {}, ""}),
    [](const ::testing::TestParamInfo<FidelityCase>& info) { return std::string(info.param.name); });

}  // namespace
