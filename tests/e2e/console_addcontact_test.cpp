#include "consolesession.h"

#include "net/servicehost.h"

namespace {

using ::testing::ElementsAre;

const wchar_t kAddCaption[] = L"Add New Contact";

class ConsoleAddContactTest : public ConsoleSession {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount({{"5", "Ann", std::string("Lee"), "0711"}});
        m_hConsole = StartAndSignIn();
        ASSERT_NE(m_hConsole, nullptr);
        ui::Click(m_hConsole, IDC_ADDNEW);
        m_hAdd = m_app.WaitForWindow(kAddCaption);
        ASSERT_NE(m_hAdd, nullptr);
    }

    void Fill(const std::wstring& first, const std::wstring& last, const std::wstring& number)
    {
        ui::TypeText(m_hAdd, IDC_FIRSTNAME, first);
        ui::TypeText(m_hAdd, IDC_LASTNAME, last);
        ui::TypeText(m_hAdd, IDC_NUMBER, number);
    }

    void ExpectInputKept(const std::wstring& first, const std::wstring& last, const std::wstring& number)
    {
        EXPECT_TRUE(::IsWindowVisible(m_hAdd));
        EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_FIRSTNAME), first);
        EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_LASTNAME), last);
        EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_NUMBER), number);
    }

    HWND m_hConsole = nullptr;
    HWND m_hAdd = nullptr;
};

TEST_F(ConsoleAddContactTest, AddsTheContactWithAnEmptyLastNameAndReloads)
{
    Fill(L"Zoe", L"", L"00441234567");
    ui::Click(m_hAdd, IDOK);
    ExpectBox(L"Thank you. Your contact has been added", L"Contact Added");
    EXPECT_TRUE(m_app.WaitUntilWindowGone(m_hAdd));
    WaitForRequests(3, m_hConsole);

    std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].body,
              "action=ADDCONTACT&cn=00441234567&fn=Zoe&ln=&password=secret&username=member%40quillbay.test"
              "&version=1.0");
    EXPECT_EQ(requests[2].body, DetailsRequestBody());
    EXPECT_THAT(Rows(m_hConsole), ElementsAre("Ann Lee (0711)", "Zoe  (00441234567)"));
}

TEST_F(ConsoleAddContactTest, FirstNameAndNumberAreRequiredBeforeAnythingIsSent)
{
    ui::Click(m_hAdd, IDOK);
    ExpectBox(L"Please enter the first name of your contact.", L"Enter First Name");
    ui::TypeText(m_hAdd, IDC_FIRSTNAME, L"Zoe");
    ui::Click(m_hAdd, IDOK);
    ExpectBox(L"Please enter the mobile phone number.", L"Enter Mobile Number");
    ExpectInputKept(L"Zoe", L"", L"");
    EXPECT_EQ(CommandRequests().size(), 1u);
}

TEST_F(ConsoleAddContactTest, FieldsTakeOnlyWhatTheServiceAccepts)
{
    Fill(std::wstring(60, L'f'), std::wstring(60, L'l'), L"+44 (0)7700-900123 4567 89");
    EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_FIRSTNAME).size(), 54u);
    EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_LASTNAME).size(), 54u);
    EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_NUMBER), L"4407700900123456789") << "digits only";
    ui::SetText(m_hAdd, IDC_NUMBER, L"");
    ui::TypeText(m_hAdd, IDC_NUMBER, std::wstring(25, L'1'));
    EXPECT_EQ(ui::GetItemText(m_hAdd, IDC_NUMBER).size(), 20u);
}

TEST_F(ConsoleAddContactTest, CharactersTheServiceCannotReceiveAreRefused)
{
    ui::SetText(m_hAdd, IDC_FIRSTNAME, L"\x201CZo\xEB\x201D");
    ui::SetText(m_hAdd, IDC_LASTNAME, L"\x20AC" L"uro");
    ui::TypeText(m_hAdd, IDC_NUMBER, L"0711");
    ui::Click(m_hAdd, IDOK);
    ExpectBox(L"The text contains characters that cannot be sent: \x201C\x201D\x20AC. Please replace them and try again.",
              L"Unsupported Characters");
    ExpectInputKept(L"\x201CZo\xEB\x201D", L"\x20AC" L"uro", L"0711");
    EXPECT_EQ(CommandRequests().size(), 1u);
}

struct RefusedAdd {
    const char* name;
    const char* answer;
    std::wstring text;
    const wchar_t* caption;
};

void PrintTo(const RefusedAdd& refused, std::ostream* os) { *os << refused.name; }

class RefusedAddTest : public ConsoleAddContactTest, public ::testing::WithParamInterface<RefusedAdd> {};

TEST_P(RefusedAddTest, ReportsTheAnswerAndKeepsTheInput)
{
    Fill(L"Zoe", L"Day", L"0799");
    m_standin.QueueAnswer({GetParam().answer});
    ui::Click(m_hAdd, IDOK);
    ExpectBox(GetParam().text, GetParam().caption);
    ui::Sync(m_hAdd);
    ExpectInputKept(L"Zoe", L"Day", L"0799");
    EXPECT_EQ(CommandRequests().size(), 2u) << "no reload";
}

INSTANTIATE_TEST_SUITE_P(
    EveryAddAnswer, RefusedAddTest,
    ::testing::Values(
        RefusedAdd{"NoFirstName", "NO_FIRSTNAME", L"Please add the contact's First Name.",
                   L"Contact Information Required"},
        RefusedAdd{"NoContactNumber", "no_contact_number", L"Please add the contact's Mobile Number.",
                   L"Contact Information Required"},
        RefusedAdd{"InvalidNumber", "INVALID_NUMBER",
                   L"The Mobile Number added appears to be invalid. Please check and try again.", L"Contact Validation"},
        RefusedAdd{"UpdateRequired", "UPDATE_REQUIRED",
                   Widen(std::string("A Critical Update is required. Please visit ") + kServiceHost +
                         " to obtain the new version."),
                   L"Update Required"},
        RefusedAdd{"NotFoundPage", "<html><title>404 Not Found</title></html>",
                   L"The Quillbay Console cannot connect to it's Server. Please try again later.",
                   L"Cannot Connect to Quillbay"}),
    [](const ::testing::TestParamInfo<RefusedAdd>& info) { return std::string(info.param.name); });

TEST_F(ConsoleAddContactTest, AnUnknownAnswerKeepsTheDialogOpenWithoutABox)
{
    Fill(L"Zoe", L"Day", L"0799");
    m_standin.QueueAnswer({"SOMETHING_NEW"});
    ui::Click(m_hAdd, IDOK);
    WaitForRequests(2, m_hAdd);
    ExpectNoBox();
    ExpectInputKept(L"Zoe", L"Day", L"0799");
}

TEST_F(ConsoleAddContactTest, RefusedCredentialsCloseTheDialogAndTheReloadSignsTheMemberOut)
{
    Fill(L"Zoe", L"Day", L"0799");
    // The service refuses the credentials from now on.
    UseAccount({{"5", "Ann", std::string("Lee"), "0711"}});
    StandinAccount changed;
    changed.email = kEmail;
    changed.password = "changed elsewhere";
    ASSERT_TRUE(m_standin.SetAccount(changed));
    ui::Click(m_hAdd, IDOK);
    ExpectBox(L"Login Failed - Please try again.", L"Details");
    EXPECT_FALSE(::IsWindow(m_hAdd));
    EXPECT_NE(m_app.WaitForWindow(kLoginCaption), nullptr);
}

TEST_F(ConsoleAddContactTest, CancelSendsNothing)
{
    Fill(L"Zoe", L"Day", L"0799");
    ui::PressKey(::GetDlgItem(m_hAdd, IDC_FIRSTNAME), VK_ESCAPE);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(m_hAdd));
    EXPECT_FALSE(m_app.FindMessageBox());
    EXPECT_EQ(CommandRequests().size(), 1u);
}

}  // namespace
