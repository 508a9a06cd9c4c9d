#include "consolesession.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "net/exchangebounds.h"

// A service that misbehaves in every way we could think of, met by the real
// program at sign-in, during a send and during an add. The bounds are set low
// through the settings store, so a fault that would freeze the program ends
// within seconds; every wait for a box is shorter than the library's own
// timeouts, so a row that finishes at all shows that the bounds held.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr DWORD kTimeoutSeconds = 2;
constexpr DWORD kDeadlineSeconds = 5;
constexpr DWORD kBoundedWaitMs = 20000;

const wchar_t kNoServer[] = L"The Quillbay Console cannot connect to it's Server. Please try again later.";
const wchar_t kNoServerCaption[] = L"Cannot Connect to Quillbay";
const wchar_t kInitialCredits[] = L"You have: (num) credits. Buy more here...";

enum Flow : unsigned { kSignIn = 1, kSend = 2, kAdd = 4, kEveryFlow = 7 };

struct Fault {
    const char* name;
    std::function<void(CStandinClient&)> play;  // arranges the fault for the next exchange
    unsigned flows;
    bool bFails;  // the exchange fails: the server box; otherwise the answer is taken as it came
    // At sign-in, for an answer that is taken: the rows the member then reads (wide, as listed).
    std::vector<std::wstring> rows = {};
    bool bDefaultBounds = false;  // runs with the bounds an administrator has not changed
    bool bRequestRead = true;     // the service reads the request before it misbehaves
};

std::function<void(CStandinClient&)> Answer(StandinAnswer answer)
{
    return [answer](CStandinClient& standin) { EXPECT_TRUE(standin.QueueAnswer(answer)); };
}

std::function<void(CStandinClient&)> ConnectionFault(const char* pszFault)
{
    return [pszFault](CStandinClient& standin) { EXPECT_TRUE(standin.QueueConnectionFault(pszFault)); };
}

std::function<void(CStandinClient&)> Certificate(const char* pszName)
{
    return [pszName](CStandinClient& standin) { EXPECT_TRUE(standin.UseCertificate(pszName)); };
}

StandinAnswer Faulty(const char* pszFault, const char* pszBody = "QLB")
{
    StandinAnswer answer{pszBody};
    answer.fault = pszFault;
    return answer;
}

StandinAnswer Page(int status, const std::string& body)
{
    StandinAnswer answer{body};
    answer.status = status;
    return answer;
}

StandinAnswer Redirect(int status, const char* pszLocation)
{
    StandinAnswer answer = Page(status, "<html><body>Moved</body></html>");
    answer.location = pszLocation;
    return answer;
}

const char kOneContact[] = "<details><contacts><contact><id>1</id><fn>Ann</fn><ln>Lee</ln><cn>0711</cn></contact>"
                           "</contacts>";

// Bytes without "/", so no end tag can form: the parser finds no element.
std::string Garbage()
{
    std::string bytes;
    unsigned state = 12345;
    while (bytes.size() < 4096) {
        state = state * 1103515245u + 12345u;
        char ch = static_cast<char>(state >> 16);
        if (ch != '/') {
            bytes += ch;
        }
    }
    return bytes;
}

StandinAnswer CutMidElement()
{
    StandinAnswer answer{std::string(kOneContact) + "<credits>9</credits></details>"};
    answer.cutAfter = 70;
    answer.cutMode = StandinAnswer::CutMode::Close;
    return answer;
}

StandinAnswer Deep()
{
    std::string body = kOneContact;
    for (int i = 0; i < 100000; ++i) {
        body += "<x>";
    }
    for (int i = 0; i < 100000; ++i) {
        body += "</x>";
    }
    return StandinAnswer{body + "</details>"};
}

std::string HighBytes()
{
    std::string bytes;
    for (int ch = 0x80; ch <= 0xFF; ++ch) {
        bytes += static_cast<char>(ch);
    }
    return bytes;
}

StandinAnswer OddValues()
{
    return StandinAnswer{"<details><contacts><contact><id>1</id><fn>Tom & Jo &amp; Co</fn><ln>" + HighBytes() +
                         "</ln><cn>0711</cn></contact><contact><id>2</id><fn>1 < 2</fn><cn>0722</cn></contact>"
                         "</contacts></details>"};
}

StandinAnswer FiftyMegabytes()
{
    StandinAnswer answer;
    answer.size = 50ll * 1024 * 1024;
    return answer;
}

const Fault kFaults[] = {
    {"StallAfterTheRequest", Answer(Faulty("stall")), kSend | kAdd, true},
    {"HeadersThenNothing", Answer(Faulty("stall_after_headers")), kSend | kAdd, true},
    {"DripOneByteASecond", Answer(Faulty("drip")), kEveryFlow, true},
    {"ResetBeforeHeaders", Answer(Faulty("reset_before_headers")), kSend | kAdd, true},
    // Two waits no library timeout covers: only the answer deadline ends them.
    {"HandshakeNeverAnswered", ConnectionFault("stall"), kEveryFlow, true, {}, false, false},
    {"HeaderBlockDripped", Answer(Faulty("drip_headers")), kEveryFlow, true},
    // The library takes a connection closed after the handshake for an empty answer.
    {"TlsHandshakeThenClose", ConnectionFault("close_after_handshake"), kSend | kAdd, false, {}, false, false},
    {"ServerError500Page",
     Answer(Page(500, "<html><head><title>500 Internal Server Error</title></head><body>Oops</body></html>")),
     kEveryFlow, false, {}},
    {"ServiceUnavailable503Empty", Answer(Page(503, "")), kSend | kAdd, false, {}},
    {"NotFoundInCapitals", Answer(Page(404, "<html><body><h1>404 NOT FOUND</h1></body></html>")), kSend | kAdd,
     false, {}},
    {"Redirect302OtherPath", Answer(Redirect(302, "/scripts/orvexconsole/moved.php")), kSend | kAdd, true},
    {"Redirect307OtherPath", Answer(Redirect(307, "https://localhost/scripts/orvexconsole/moved.php")), kSend | kAdd,
     true},
    {"Redirect302OtherHost", Answer(Redirect(302, "https://127.0.0.1/scripts/orvexconsole/command.php")),
     kSend | kAdd, true},
    {"Redirect307OtherHost", Answer(Redirect(307, "https://127.0.0.1/scripts/orvexconsole/command.php")),
     kEveryFlow, true},
    {"BinaryGarbage", Answer(StandinAnswer{Garbage()}), kSignIn | kSend, false, {}},
    {"FiftyMegabytes", Answer(FiftyMegabytes()), kSignIn, false, {}, true},
    {"DocumentCutMidElement", Answer(CutMidElement()), kSignIn, false, {}},
    {"HundredThousandLevelsDeep", Answer(Deep()), kSignIn, false, {L"Ann Lee (0711)"}},
    {"ValuesWithMarkupAndHighBytes", Answer(OddValues()), kSignIn, false,
     {L"Tom & Jo &amp; Co " + Widen(HighBytes()) + L" (0711)", L" (0722)"}},
    {"UntrustedCertificate", Certificate("untrusted"), kSend | kAdd, true, {}, false, false},
    {"CertificateForAnotherHost", Certificate("wronghost"), kSignIn | kAdd, true, {}, false, false},
    {"ExpiredCertificate", Certificate("expired"), kSend | kAdd, true, {}, false, false},
};

void StoreBound(LPCWSTR pszName, DWORD dwSeconds)
{
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", pszName, REG_DWORD,
                                &dwSeconds, sizeof(dwSeconds)),
              ERROR_SUCCESS);
}

class HostileServiceTest : public ConsoleSession {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount({{"5", "Eve", std::string("Ray"), "0799"}});
    }

    static void UseLowBounds()
    {
        StoreBound(CExchangeBounds::kTimeoutValueName, kTimeoutSeconds);
        StoreBound(CExchangeBounds::kAnswerDeadlineValueName, kDeadlineSeconds);
    }

    static void ClearBounds()
    {
        for (LPCWSTR pszName : {CExchangeBounds::kTimeoutValueName, CExchangeBounds::kAnswerDeadlineValueName}) {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", pszName);
        }
    }

    // Plays the fault, lets the click start the exchange and waits until it is
    // over: for a failing one, the server box is checked and answered.
    void PlayAndClick(CAppDriver& app, const Fault& fault, HWND hDlg, int nId)
    {
        size_t nRequestsBefore = CommandRequests().size();
        fault.play(m_standin);
        auto start = std::chrono::steady_clock::now();
        ui::Click(hDlg, nId);
        if (fault.bFails) {
            auto box = app.WaitForMessageBox(kBoundedWaitMs);
            ASSERT_TRUE(box) << "no box within the bounded wait";
            Report(fault, start);
            EXPECT_EQ(box->text, kNoServer);
            EXPECT_EQ(box->caption, kNoServerCaption);
            CAppDriver::Answer(*box);
            EXPECT_TRUE(app.WaitUntilWindowGone(box->hWnd));
        } else {
            // Once the service has taken the request (or the connection that
            // never reads one), the program is inside the exchange.
            EXPECT_TRUE(ui::WaitFor(kBoundedWaitMs, [&] {
                return m_standin.PendingConnectionFaults() == 0 &&
                       (!fault.bRequestRead || CommandRequests().size() > nRequestsBefore);
            }));
            if (::IsWindow(hDlg)) {
                ui::Sync(hDlg);
            }
        }
        EXPECT_TRUE(m_standin.UseCertificate("good"));
        EXPECT_EQ(CommandRequests().size(), nRequestsBefore + (fault.bRequestRead ? 1 : 0))
            << "a redirect was followed, or a request went through a bad certificate";
    }

    static void ExpectNoBox(const CAppDriver& app)
    {
        auto box = app.FindMessageBox();
        EXPECT_FALSE(box) << "unexpected box: " << Narrow(box->caption) << " / " << Narrow(box->text);
    }

    static void Report(const Fault& fault, std::chrono::steady_clock::time_point start)
    {
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("[ fault    ] %-30s over after %.1f s\n", fault.name, seconds);
    }
};

TEST_F(HostileServiceTest, EveryFaultAtSignInEndsTheConsoleOrListsWhatCame)
{
    for (const Fault& fault : kFaults) {
        if (!(fault.flows & kSignIn)) {
            continue;
        }
        SCOPED_TRACE(fault.name);
        ASSERT_TRUE(m_standin.Reset());
        UseAccount({{"5", "Eve", std::string("Ray"), "0799"}});
        if (fault.bDefaultBounds) {
            ClearBounds();
        } else {
            UseLowBounds();
        }
        CAppDriver app;
        ASSERT_TRUE(app.Start(L"", L"", CAppDriver::OutputMode::None));
        HWND hLogin = app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hLogin, nullptr);
        ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
        ui::TypeText(hLogin, IDC_PASSWORD, Widen(kPassword));
        PlayAndClick(app, fault, hLogin, IDOK);
        if (fault.bFails) {
            EXPECT_TRUE(ui::WaitFor(kBoundedWaitMs, [&] { return app.VisibleWindows().empty(); }))
                << "the failed load ends the console and the session";
            continue;
        }
        HWND hConsole = app.WaitForWindow(kConsoleCaption, kBoundedWaitMs);
        ASSERT_NE(hConsole, nullptr);
        ui::Sync(hConsole);
        ExpectNoBox(app);
        EXPECT_EQ(ui::ListRows(hConsole, IDC_CONTACTS), fault.rows);
        EXPECT_EQ(CreditLabel(hConsole), kInitialCredits);
        ClickAndWaitForRequests(hConsole, IDC_REFRESH, CommandRequests().size() + 1);
        EXPECT_THAT(Rows(hConsole), ElementsAre("Eve Ray (0799)")) << "the console still works";
    }
}

TEST_F(HostileServiceTest, EveryFaultDuringASendKeepsTheSummaryAndTheMessage)
{
    UseLowBounds();
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ui::TypeText(hConsole, IDC_MESSAGE, L"Still here?");
    SelectRows(hConsole, {0});
    ui::Click(hConsole, IDC_SEND);
    HWND hSummary = m_app.WaitForWindow(L"Send Summary");
    ASSERT_NE(hSummary, nullptr);

    for (const Fault& fault : kFaults) {
        if (!(fault.flows & kSend)) {
            continue;
        }
        SCOPED_TRACE(fault.name);
        PlayAndClick(m_app, fault, hSummary, IDOK);
        ExpectNoBox(m_app);
        EXPECT_TRUE(ui::WaitFor(kBoundedWaitMs, [&] { return ui::IsVisible(hSummary, IDOK); }));
        EXPECT_TRUE(::IsWindowVisible(hSummary));
    }
    EXPECT_THAT(m_standin.SentMessages(), IsEmpty());
    ui::Click(hSummary, IDCANCEL);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hSummary));
    EXPECT_EQ(ui::GetItemText(hConsole, IDC_MESSAGE), L"Still here?");
    EXPECT_THAT(ui::ListSelection(hConsole, IDC_CONTACTS), ElementsAre(0));
}

TEST_F(HostileServiceTest, EveryFaultDuringAnAddKeepsTheDialogAndTheContact)
{
    UseLowBounds();
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);
    ui::Click(hConsole, IDC_ADDNEW);
    HWND hAdd = m_app.WaitForWindow(L"Add New Contact");
    ASSERT_NE(hAdd, nullptr);
    ui::TypeText(hAdd, IDC_FIRSTNAME, L"Zoe");
    ui::TypeText(hAdd, IDC_LASTNAME, L"Kay");
    ui::TypeText(hAdd, IDC_NUMBER, L"00441234567");

    for (const Fault& fault : kFaults) {
        if (!(fault.flows & kAdd)) {
            continue;
        }
        SCOPED_TRACE(fault.name);
        PlayAndClick(m_app, fault, hAdd, IDOK);
        ExpectNoBox(m_app);
        EXPECT_TRUE(::IsWindowVisible(hAdd));
        EXPECT_EQ(ui::GetItemText(hAdd, IDC_FIRSTNAME), L"Zoe");
        EXPECT_EQ(ui::GetItemText(hAdd, IDC_LASTNAME), L"Kay");
        EXPECT_EQ(ui::GetItemText(hAdd, IDC_NUMBER), L"00441234567");
    }
    EXPECT_EQ(m_standin.AccountDump(kEmail), "25\n5\tEve\tRay\t0799\n") << "nothing was added";
    ui::Click(hAdd, IDCANCEL);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hAdd));
    EXPECT_THAT(Rows(hConsole), ElementsAre("Eve Ray (0799)"));
}

}  // namespace
