#include "consolesession.h"

#include "net/servicehost.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Rows 0..4 hold the ids 12, 14, 15, 30 and 40.
const std::vector<StandinContact> kFiveContacts = {
    {"12", "Ann", std::string("Lee"), "0711"}, {"14", "Ben", std::string("Moe"), "0722"},
    {"15", "Cat", std::string("Ng"), "0733"},  {"30", "Dan", std::string("Oz"), "0744"},
    {"40", "Eve", std::string("Py"), "0755"},
};

const char kDeleteBody[] =
    "action=DELETECONTACTS&cl=12%2C15%2C40&password=secret&username=member%40quillbay.test&version=1.0";

class ConsoleDeleteTest : public ConsoleSession {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount(kFiveContacts);
        m_hConsole = StartAndSignIn();
        ASSERT_NE(m_hConsole, nullptr);
    }

    // Selects rows 4, 0 and 2 and confirms the question with the given answer.
    void DeleteThree(int nAnswer)
    {
        SelectRows(m_hConsole, {4, 0, 2});
        EXPECT_TRUE(ui::IsEnabled(m_hConsole, IDC_DELETE));
        ui::Click(m_hConsole, IDC_DELETE);
        ExpectBox(L"Delete Contact(s)?", L"Delete Contact(s)", nAnswer);
    }

    HWND m_hConsole = nullptr;
};

TEST_F(ConsoleDeleteTest, DeletesTheSelectedIdsInListOrderAndReloads)
{
    DeleteThree(IDYES);
    WaitForRequests(3, m_hConsole);

    std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].body, kDeleteBody);
    EXPECT_EQ(requests[2].body, DetailsRequestBody());
    EXPECT_THAT(Rows(m_hConsole), ElementsAre("Ben Moe (0722)", "Dan Oz (0744)"));
    EXPECT_FALSE(ui::IsEnabled(m_hConsole, IDC_DELETE));
}

TEST_F(ConsoleDeleteTest, AnsweringNoSendsNothing)
{
    DeleteThree(IDNO);
    ui::Sync(m_hConsole);  // the answer ends the handler at once
    ExpectNoBox();
    EXPECT_EQ(CommandRequests().size(), 1u);
    EXPECT_TRUE(ui::IsEnabled(m_hConsole, IDC_DELETE));
    EXPECT_THAT(ui::ListSelection(m_hConsole, IDC_CONTACTS), ElementsAre(0, 2, 4));
}

TEST_F(ConsoleDeleteTest, DeselectingEveryRowDisablesDelete)
{
    SelectRows(m_hConsole, {1});
    EXPECT_TRUE(ui::IsEnabled(m_hConsole, IDC_DELETE));
    ui::CtrlClickListRow(m_hConsole, IDC_CONTACTS, 1);
    EXPECT_FALSE(ui::IsEnabled(m_hConsole, IDC_DELETE));
}

TEST_F(ConsoleDeleteTest, NoContactsAnswerIsReportedAndTheListReloaded)
{
    m_standin.QueueAnswer({"NO_CONTACTS"});
    DeleteThree(IDYES);
    ExpectBox(L"Please select a contact to remove.", L"No Contact Selected");
    WaitForRequests(3, m_hConsole);
    EXPECT_EQ(Rows(m_hConsole).size(), 5u);
}

TEST_F(ConsoleDeleteTest, UpdateRequiredIsReportedAndTheConsoleStays)
{
    m_standin.QueueAnswer({"UPDATE_REQUIRED"});
    DeleteThree(IDYES);
    ExpectBox(Widen(std::string("A Critical Update is required. Please visit ") + kServiceHost +
                    " to obtain the new version."),
              L"Update Required");
    WaitForRequests(3, m_hConsole);
    EXPECT_TRUE(::IsWindowVisible(m_hConsole));

    ui::Click(m_hConsole, IDCANCEL);
    ExpectBox(L"Exit?", L"Exit Quillbay Console?", IDYES);
    EXPECT_THAT(m_app.WaitForExit(), ::testing::Optional(0u)) << "no update box at the end of the session";
}

TEST_F(ConsoleDeleteTest, LoginFailedIsRememberedUntilTheNextSignIn)
{
    m_standin.QueueAnswer({"LOGIN_FAILED"});
    DeleteThree(IDYES);
    WaitForRequests(3, m_hConsole);
    EXPECT_FALSE(m_app.FindMessageBox());
    EXPECT_EQ(Rows(m_hConsole).size(), 5u) << "the reload succeeds";

    ui::Click(m_hConsole, IDOK);
    ExpectBox(L"Login Failed - Please try again.", L"Details");
    EXPECT_NE(m_app.WaitForWindow(kLoginCaption), nullptr);
}

TEST_F(ConsoleDeleteTest, AFailedExchangeIsReportedWithoutAReload)
{
    StandinAnswer dropped;
    dropped.body = "OK";
    dropped.cutAfter = 0;
    m_standin.QueueAnswer(dropped);
    DeleteThree(IDYES);
    ExpectBox(L"The Quillbay Console cannot connect to it's Server. Please try again later.",
              L"Cannot Connect to Quillbay");
    ui::Sync(m_hConsole);
    EXPECT_EQ(CommandRequests().size(), 2u);
    EXPECT_EQ(Rows(m_hConsole).size(), 5u);
}

// Items are joined by position, so a record whose id or number is empty still
// takes its place in the list the service receives.
class ItemSeparatorTest : public ConsoleSession {};

TEST_F(ItemSeparatorTest, AnEmptyFirstItemKeepsItsSeparator)
{
    const std::string document =
        "<details><contacts><contact><fn>Nid</fn><cn></cn></contact>"
        "<contact><id>15</id><fn>Cat</fn><cn>0733</cn></contact></contacts><credits>5</credits></details>";
    UseAccount(kFiveContacts);
    for (const char* pszAnswer : {document.c_str(), "QLB1", document.c_str(), "OK"}) {
        ASSERT_TRUE(m_standin.QueueAnswer({pszAnswer}));
    }
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ASSERT_THAT(Rows(hConsole), ElementsAre("Nid ()", "Cat (0733)"));

    ui::TypeText(hConsole, IDC_MESSAGE, L"Hi");
    SelectRows(hConsole, {0, 1});
    ui::Click(hConsole, IDC_SEND);
    HWND hSummary = m_app.WaitForWindow(L"Send Summary");
    ASSERT_NE(hSummary, nullptr);
    ui::Click(hSummary, IDOK);
    ExpectBox(L"Thank you. your message is being sent.", L"Sent Message");
    WaitForRequests(3, hConsole);

    SelectRows(hConsole, {0, 1});
    ui::Click(hConsole, IDC_DELETE);
    ExpectBox(L"Delete Contact(s)?", L"Delete Contact(s)", IDYES);
    WaitForRequests(5, hConsole);

    std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_THAT(requests[1].body, HasSubstr("&cn=%2C0733&"));
    EXPECT_THAT(requests[3].body, HasSubstr("&cl=%2C15&"));
}

}  // namespace
