#include "consolesession.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const wchar_t kSummaryCaption[] = L"Send Summary";

const std::vector<StandinContact> kThreeContacts = {
    {"1", "Ann", std::string("Lee"), "111"},
    {"2", "Ben", std::string("Moe"), "222"},
    {"3", "Cat", std::string("Ng"), "333"},
};

std::wstring CharsLeft(int n)
{
    return L"&Enter your message here (" + std::to_wstring(n) + L" chars left)...";
}

// The window with the keyboard focus in the thread that owns the dialog.
HWND FocusIn(HWND hDlg)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hDlg, nullptr), &info);
    return info.hwndFocus;
}

class ConsoleSendTest : public ConsoleSession {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount(kThreeContacts, "10");
        m_hConsole = StartAndSignIn();
        ASSERT_NE(m_hConsole, nullptr);
    }

    // Types the message, selects all three rows and opens the summary.
    HWND OpenSummary(const std::wstring& message = L"Hello there")
    {
        ui::TypeText(m_hConsole, IDC_MESSAGE, message);
        SelectRows(m_hConsole, {2, 0, 1});
        ui::Click(m_hConsole, IDC_SEND);
        return m_app.WaitForWindow(kSummaryCaption);
    }

    // Clicks "Send Now..." with a scripted answer and waits for the exchange.
    void SendNow(HWND hSummary, const StandinAnswer& answer)
    {
        m_standin.QueueAnswer(answer);
        size_t nBefore = CommandRequests().size();
        ui::Click(hSummary, IDOK);
        // The buttons make way for the sending state before the request goes out.
        EXPECT_TRUE(ui::WaitFor([&] { return CommandRequests().size() > nBefore; }));
    }

    // After an unsuccessful answer the summary is ready for another attempt.
    // The program shows the parts one after the other: wait for all of them.
    void ExpectSummaryReady(HWND hSummary)
    {
        EXPECT_TRUE(ui::WaitFor([&] {
            return ui::IsVisible(hSummary, IDOK) && ui::IsVisible(hSummary, IDCANCEL) &&
                   !ui::IsVisible(hSummary, IDC_SEND_PROGRESS) && !ui::IsVisible(hSummary, IDC_SEND_STATUS);
        }));
        EXPECT_TRUE(::IsWindowVisible(hSummary));
        EXPECT_TRUE(ui::IsVisible(hSummary, IDOK));
        EXPECT_TRUE(ui::IsVisible(hSummary, IDCANCEL));
        EXPECT_FALSE(ui::IsVisible(hSummary, IDC_SEND_PROGRESS));
        EXPECT_FALSE(ui::IsVisible(hSummary, IDC_SEND_STATUS));
        EXPECT_EQ(FocusIn(hSummary), ::GetDlgItem(hSummary, IDOK)) << "the focus is back on Send Now...";
    }

    HWND m_hConsole = nullptr;
};

TEST_F(ConsoleSendTest, TheCounterCountsDownAsTheMemberTypes)
{
    ui::TypeText(m_hConsole, IDC_MESSAGE, L"Hi");
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_CHARS_LEFT), CharsLeft(158));
    ui::TypeText(m_hConsole, IDC_MESSAGE, L"\r");
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_CHARS_LEFT), CharsLeft(156)) << "a line break counts twice";
    ui::TypeText(m_hConsole, IDC_MESSAGE, std::wstring(200, L'x'));
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_MESSAGE).size(), 160u);
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_CHARS_LEFT), CharsLeft(0));
}

TEST_F(ConsoleSendTest, SendsToTheSelectedNumbersInListOrderAndResetsTheComposer)
{
    const std::wstring message = L"Tea & cake, 50% off+\rBring caf\xE9!";
    HWND hSummary = OpenSummary(message);
    ASSERT_NE(hSummary, nullptr);
    EXPECT_EQ(ui::GetItemText(hSummary, IDC_SUMMARY_TEXT),
              L"To send this message to the 3 contacts selected, click the 'Send Now...' button below:");

    ui::Click(hSummary, IDOK);
    ExpectBox(L"Thank you. your message is being sent.", L"Sent Message");
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hSummary));
    WaitForRequests(3, m_hConsole);

    std::vector<RecordedRequest> requests = CommandRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].body,
              "action=SEND&cn=111%2C222%2C333&message=Tea%20%26%20cake%2C%2050%25%20off%2B%0D%0ABring%20caf%E9%21"
              "&password=secret&username=member%40quillbay.test&version=1.0");
    EXPECT_EQ(requests[2].body, DetailsRequestBody());
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_MESSAGE), L"");
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_CHARS_LEFT), CharsLeft(160));
    EXPECT_THAT(ui::ListSelection(m_hConsole, IDC_CONTACTS), IsEmpty());
    EXPECT_EQ(CreditLabel(m_hConsole), L"You have: 7 credits. Buy more here...");
}

TEST_F(ConsoleSendTest, EmptyMessageOrNoSelectionOpensNoSummary)
{
    ui::Click(m_hConsole, IDC_SEND);
    ExpectBox(L"Please enter a message to send.", L"No Message Entered");

    ui::TypeText(m_hConsole, IDC_MESSAGE, L"Hello");
    ui::Click(m_hConsole, IDC_SEND);
    ExpectBox(L"Please select at least one contact.", L"No Contact Selected");
    EXPECT_EQ(m_app.FindVisibleWindow(kSummaryCaption), nullptr);
    EXPECT_EQ(CommandRequests().size(), 1u);
}

TEST_F(ConsoleSendTest, AMessageOfExactly160CharactersIsAccepted)
{
    HWND hSummary = OpenSummary(std::wstring(160, L'a'));
    EXPECT_NE(hSummary, nullptr);
}

TEST_F(ConsoleSendTest, CharactersTheServiceCannotReceiveAreRefused)
{
    ui::SetText(m_hConsole, IDC_MESSAGE, L"Only 5\x20AC, \x201C" L"free\x201D \x20AC");
    SelectRows(m_hConsole, {0});
    ui::Click(m_hConsole, IDC_SEND);
    ExpectBox(L"The text contains characters that cannot be sent: \x20AC\x201C\x201D. Please replace them and try again.",
              L"Unsupported Characters");
    EXPECT_EQ(m_app.FindVisibleWindow(kSummaryCaption), nullptr);
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_MESSAGE), L"Only 5\x20AC, \x201C" L"free\x201D \x20AC");
    EXPECT_EQ(CommandRequests().size(), 1u) << "nothing reached the service";
}

struct RefusedSend {
    const char* name;
    StandinAnswer answer;
    const wchar_t* text;  // null: no box
    const wchar_t* caption;
};

const wchar_t kNoServer[] = L"The Quillbay Console cannot connect to it's Server. Please try again later.";
const wchar_t kTopUp[] = L"Please log in to your Quillbay account to top up your credit.";

StandinAnswer Body(const char* body) { return StandinAnswer{body}; }
StandinAnswer NotFoundPage()
{
    StandinAnswer answer;
    answer.page404 = true;
    return answer;
}
StandinAnswer Dropped()
{
    StandinAnswer answer = Body("QLB");
    answer.cutAfter = 0;
    return answer;
}

void PrintTo(const RefusedSend& refused, std::ostream* os) { *os << refused.name; }

class RefusedSendTest : public ConsoleSendTest, public ::testing::WithParamInterface<RefusedSend> {};

TEST_P(RefusedSendTest, ReportsTheAnswerAndKeepsTheSummaryOpen)
{
    HWND hSummary = OpenSummary();
    ASSERT_NE(hSummary, nullptr);
    SendNow(hSummary, GetParam().answer);
    if (GetParam().text) {
        ExpectBox(GetParam().text, GetParam().caption);
    }
    ExpectSummaryReady(hSummary);
    ExpectNoBox();  // a box would have kept the buttons away until answered

    ui::Click(hSummary, IDCANCEL);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hSummary));
    EXPECT_EQ(ui::GetItemText(m_hConsole, IDC_MESSAGE), L"Hello there") << "the console keeps the message";
    EXPECT_THAT(ui::ListSelection(m_hConsole, IDC_CONTACTS), ElementsAre(0, 1, 2));
}

INSTANTIATE_TEST_SUITE_P(
    EverySendAnswer, RefusedSendTest,
    ::testing::Values(
        RefusedSend{"InvalidContact", Body("INVALID_CONTACT:222"),
                    L"The contact number: 222 seems to be invalid. Please check and try again.",
                    L"Contact Validation Error"},
        RefusedSend{"InvalidContactAlone", Body("INVALID_CONTACT:"),
                    L"The contact number:  seems to be invalid. Please check and try again.", L"Contact Validation Error"},
        RefusedSend{"NoCredit", Body("NO_CREDIT"), kTopUp, L"Not Enough Credit"},
        RefusedSend{"NotEnoughCredit", Body("not_enough_credit"), kTopUp, L"Not Enough Credit"},
        RefusedSend{"CannotProvide", Body("CANNOT_PROVIDE"),
                    L"Quillbay cannot currently provide this service. Please try again later.",
                    L"Quillbay - Cannot Provide"},
        RefusedSend{"LoginFailedIsNotASendAnswer", Body("LOGIN_FAILED"), nullptr, nullptr},
        RefusedSend{"NotFoundPage", NotFoundPage(), kNoServer, L"Cannot Connect to Quillbay"},
        // The request went out whole; the answer never came whole.
        RefusedSend{"ConnectionDropped", Dropped(),
                    L"The Quillbay Console did not receive an answer from its Server. Your message may have been "
                    L"sent: please check before you send it again.",
                    L"No Answer from Quillbay"}),
    [](const ::testing::TestParamInfo<RefusedSend>& info) { return std::string(info.param.name); });

// The answer comes late, so the summary is seen sending: its state is looked
// at before and after the focus, and both times the buttons are hidden.
TEST_F(ConsoleSendTest, WhileSendingTheFocusIsOnAShownControl)
{
    HWND hSummary = OpenSummary();
    ASSERT_NE(hSummary, nullptr);
    ASSERT_EQ(FocusIn(hSummary), ::GetDlgItem(hSummary, IDOK));
    StandinAnswer late = Body("NO_CREDIT");
    late.delayMs = 15000;
    SendNow(hSummary, late);
    auto sending = [&] { return !ui::IsVisible(hSummary, IDOK) && ui::IsVisible(hSummary, IDC_SEND_PROGRESS); };
    ASSERT_TRUE(ui::WaitFor(sending));
    HWND hFocus = FocusIn(hSummary);
    ASSERT_TRUE(sending()) << "the answer came before the focus was looked at";
    EXPECT_EQ(::GetParent(hFocus), hSummary);
    EXPECT_TRUE(::IsWindowVisible(hFocus) && ::IsWindowEnabled(hFocus));

    ExpectBox(kTopUp, L"Not Enough Credit");
    ExpectSummaryReady(hSummary);
}

TEST_F(ConsoleSendTest, AnOverlongInvalidNumberIsCutTo199Characters)
{
    HWND hSummary = OpenSummary();
    ASSERT_NE(hSummary, nullptr);
    SendNow(hSummary, Body(("INVALID_CONTACT:" + std::string(250, '9')).c_str()));
    ExpectBox(L"The contact number: " + std::wstring(199, L'9') + L" seems to be invalid. Please check and try again.",
              L"Contact Validation Error");
    ExpectSummaryReady(hSummary);
}

TEST_F(ConsoleSendTest, AfterASendDeleteAsksForASelectionAgain)
{
    HWND hSummary = OpenSummary();
    ASSERT_NE(hSummary, nullptr);
    ui::Click(hSummary, IDOK);
    ExpectBox(L"Thank you. your message is being sent.", L"Sent Message");
    WaitForRequests(3, m_hConsole);

    // The rows were deselected by the program, which leaves Delete as it was.
    ASSERT_TRUE(ui::IsEnabled(m_hConsole, IDC_DELETE));
    ui::Click(m_hConsole, IDC_DELETE);
    ExpectBox(L"Please select at least one contact.", L"No Contact Selected");
    EXPECT_EQ(CommandRequests().size(), 3u);
}

}  // namespace
