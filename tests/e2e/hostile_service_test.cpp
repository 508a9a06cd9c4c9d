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
// timeouts, so a row that finishes at all shows that the bounds held. A row
// whose library timeout outlasts the wait shows that the answer deadline alone
// ends the exchange.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr DWORD kTimeoutSeconds = 2;
constexpr DWORD kDeadlineSeconds = 4;
constexpr DWORD kBoundedWaitMs = 20000;
constexpr DWORD kLongTimeoutSeconds = 60;

const wchar_t kNoServer[] = L"The Quillbay Console cannot connect to it's Server. Please try again later.";
const wchar_t kNoServerCaption[] = L"Cannot Connect to Quillbay";
const wchar_t kNoAnswer[] = L"The Quillbay Console did not receive an answer from its Server. Your message may have "
                            L"been sent: please check before you send it again.";
const wchar_t kNoAnswerCaption[] = L"No Answer from Quillbay";
const wchar_t kInitialCredits[] = L"You have: (num) credits. Buy more here...";

enum Flow : unsigned { kSignIn = 1, kSend = 2, kAdd = 4, kEveryFlow = 7 };

// What becomes of the exchange.
enum class End {
    Taken,     // the answer is taken as it came
    Failed,    // the server box
    NoAnswer,  // the request may have gone and no answer that counts came: a send says so, others as Failed
};

enum class Bounds {
    Low,           // timeout and deadline low
    Default,       // as an administrator left them
    DeadlineOnly,  // the library's timeout longer than the wait for the box
};

struct Fault {
    const char* name;
    std::function<void(CStandinClient&)> play;  // arranges the fault for the next exchange
    unsigned flows;
    End end;
    // At sign-in, for an answer that is taken: the rows the member then reads (wide, as listed).
    std::vector<std::wstring> rows = {};
    Bounds bounds = Bounds::Low;
    bool bRequestRead = true;  // the service reads the request before it misbehaves
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

StandinAnswer CutMidElement(StandinAnswer::Framing framing)
{
    StandinAnswer answer{std::string(kOneContact) + "<credits>9</credits></details>"};
    answer.framing = framing;
    answer.cutAfter = 70;
    answer.cutMode = StandinAnswer::CutMode::Close;
    return answer;
}

// Headers announcing the whole length, one byte, then nothing: the
// availability query waits after the first byte.
StandinAnswer StalledAfterTheFirstByte()
{
    StandinAnswer answer = Faulty("stall_mid_body", "QLB and more");
    answer.cutAfter = 1;
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

// Beyond the 64 MiB bound: announced, refused before a byte is read; unannounced, read up to the bound.
StandinAnswer SixHundredMegabytes(StandinAnswer::Framing framing)
{
    StandinAnswer answer{"", 200, framing};
    answer.size = 600ll * 1024 * 1024;
    return answer;
}

const Fault kFaults[] = {
    {"StallAfterTheRequest", Answer(Faulty("stall")), kSend | kAdd, End::NoAnswer},
    {"HeadersThenNothing", Answer(Faulty("stall_after_headers")), kSend | kAdd, End::NoAnswer},
    {"DripOneByteASecond", Answer(Faulty("drip")), kEveryFlow, End::NoAnswer},
    {"ResetBeforeHeaders", Answer(Faulty("reset_before_headers")), kSend | kAdd, End::NoAnswer},
    // The library's own timeout would end it only after the wait for the box.
    {"QueryBlocksAfterTheFirstByte", Answer(StalledAfterTheFirstByte()), kSend, End::NoAnswer, {},
     Bounds::DeadlineOnly},
    // Two waits no library timeout covers: only the answer deadline ends them.
    {"HandshakeNeverAnswered", ConnectionFault("stall"), kEveryFlow, End::NoAnswer, {}, Bounds::Low, false},
    {"HeaderBlockDripped", Answer(Faulty("drip_headers")), kEveryFlow, End::NoAnswer},
    {"TlsHandshakeThenClose", ConnectionFault("close_after_handshake"), kSend | kAdd, End::NoAnswer, {},
     Bounds::Low, false},
    {"NoStatusLine", Answer(Faulty("no_status_line", "OK")), kEveryFlow, End::NoAnswer},
    {"ServerError500Page",
     Answer(Page(500, "<html><head><title>500 Internal Server Error</title></head><body>Oops</body></html>")),
     kEveryFlow, End::NoAnswer},
    {"ServiceUnavailable503Empty", Answer(Page(503, "")), kEveryFlow, End::NoAnswer},
    {"LoginFailedWith401IsNoSendAnswer", Answer(Page(401, "LOGIN_FAILED")), kSend, End::NoAnswer},
    {"NotFoundInCapitals", Answer(Page(404, "<html><body><h1>404 NOT FOUND</h1></body></html>")), kSend | kAdd,
     End::NoAnswer},
    {"Redirect302OtherPath", Answer(Redirect(302, "/scripts/orvexconsole/moved.php")), kSend | kAdd, End::NoAnswer},
    {"Redirect307OtherPath", Answer(Redirect(307, "https://localhost/scripts/orvexconsole/moved.php")), kSend | kAdd,
     End::NoAnswer},
    {"Redirect302OtherHost", Answer(Redirect(302, "https://127.0.0.1/scripts/orvexconsole/command.php")),
     kSend | kAdd, End::NoAnswer},
    {"Redirect307OtherHost", Answer(Redirect(307, "https://127.0.0.1/scripts/orvexconsole/command.php")),
     kEveryFlow, End::NoAnswer},
    {"BinaryGarbage", Answer(StandinAnswer{Garbage()}), kSignIn | kSend, End::Taken},
    {"FiftyMegabytes", Answer(FiftyMegabytes()), kSignIn, End::Taken, {}, Bounds::Default},
    {"SixHundredMegabytes", Answer(SixHundredMegabytes(StandinAnswer::Framing::Length)), kSignIn | kSend,
     End::NoAnswer, {}, Bounds::Default},
    {"SixHundredMegabytesUnannounced", Answer(SixHundredMegabytes(StandinAnswer::Framing::Close)), kSignIn | kSend,
     End::NoAnswer, {}, Bounds::Default},
    {"DocumentCutMidElement", Answer(CutMidElement(StandinAnswer::Framing::Length)), kSignIn, End::NoAnswer},
    {"DocumentCutMidElementChunked", Answer(CutMidElement(StandinAnswer::Framing::Chunked)), kSignIn, End::Failed},
    {"HundredThousandLevelsDeep", Answer(Deep()), kSignIn, End::Taken, {L"Ann Lee (0711)"}},
    {"ValuesWithMarkupAndHighBytes", Answer(OddValues()), kSignIn, End::Taken,
     {L"Tom & Jo &amp; Co " + Widen(HighBytes()) + L" (0711)", L" (0722)"}},
    {"UntrustedCertificate", Certificate("untrusted"), kSend | kAdd, End::Failed, {}, Bounds::Low, false},
    {"CertificateForAnotherHost", Certificate("wronghost"), kSignIn | kAdd, End::Failed, {}, Bounds::Low, false},
    {"ExpiredCertificate", Certificate("expired"), kSend | kAdd, End::Failed, {}, Bounds::Low, false},
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

    // The exchanges read the bounds as they start, so a running program takes them too.
    static void UseBounds(Bounds bounds)
    {
        if (bounds == Bounds::Default) {
            for (LPCWSTR pszName : {CExchangeBounds::kTimeoutValueName, CExchangeBounds::kAnswerDeadlineValueName}) {
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", pszName);
            }
            return;
        }
        StoreBound(CExchangeBounds::kTimeoutValueName,
                   bounds == Bounds::DeadlineOnly ? kLongTimeoutSeconds : kTimeoutSeconds);
        StoreBound(CExchangeBounds::kAnswerDeadlineValueName, kDeadlineSeconds);
    }

    // Plays the fault, lets the click start the exchange and waits until it is
    // over: for a failing one, its box is checked and answered.
    void PlayAndClick(CAppDriver& app, const Fault& fault, Flow flow, HWND hDlg, int nId)
    {
        size_t nRequestsBefore = CommandRequests().size();
        UseBounds(fault.bounds);
        fault.play(m_standin);
        auto start = std::chrono::steady_clock::now();
        ui::Click(hDlg, nId);
        if (fault.end != End::Taken) {
            auto box = app.WaitForMessageBox(kBoundedWaitMs);
            ASSERT_TRUE(box) << "no box within the bounded wait";
            Report(fault, flow, start);
            bool bMayHaveGone = flow == kSend && fault.end == End::NoAnswer;
            EXPECT_EQ(box->text, bMayHaveGone ? kNoAnswer : kNoServer);
            EXPECT_EQ(box->caption, bMayHaveGone ? kNoAnswerCaption : kNoServerCaption);
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
        UseBounds(Bounds::Low);
        EXPECT_EQ(CommandRequests().size(), nRequestsBefore + (fault.bRequestRead ? 1 : 0))
            << "a redirect was followed, or a request went through a bad certificate";
    }

    static void ExpectNoBox(const CAppDriver& app)
    {
        auto box = app.FindMessageBox();
        EXPECT_FALSE(box) << "unexpected box: " << Narrow(box->caption) << " / " << Narrow(box->text);
    }

    static void Report(const Fault& fault, Flow flow, std::chrono::steady_clock::time_point start)
    {
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const char* pszFlow = flow == kSignIn ? "sign-in" : flow == kSend ? "send" : "add";
        std::printf("[ fault    ] %-36s %-7s over after %.1f s\n", fault.name, pszFlow, seconds);
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
        CAppDriver app;
        ASSERT_TRUE(app.Start(L"", L"", CAppDriver::OutputMode::None));
        HWND hLogin = app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hLogin, nullptr);
        ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
        ui::TypeText(hLogin, IDC_PASSWORD, Widen(kPassword));
        PlayAndClick(app, fault, kSignIn, hLogin, IDOK);
        if (fault.end != End::Taken) {
            EXPECT_TRUE(ui::WaitFor(kBoundedWaitMs, [&] { return app.VisibleWindows().empty(); }))
                << "the failed load ends the console and the session";
            continue;
        }
        HWND hConsole = app.WaitForWindow(kConsoleCaption, kBoundedWaitMs);
        ASSERT_NE(hConsole, nullptr);
        app.SyncAfterExchanges(hConsole, kBoundedWaitMs);
        ExpectNoBox(app);
        EXPECT_EQ(ui::ListRows(hConsole, IDC_CONTACTS), fault.rows);
        EXPECT_EQ(CreditLabel(hConsole), kInitialCredits);
        ClickAndWaitForRequests(hConsole, IDC_REFRESH, CommandRequests().size() + 1);
        // A request an earlier program gave up on may reach the service late
        // and count as this one: wait for the rows themselves.
        const std::vector<std::string> expected = {"Eve Ray (0799)"};
        EXPECT_TRUE(ui::WaitFor(kBoundedWaitMs, [&] { return Rows(hConsole) == expected; }))
            << "the console still works";
    }
}

TEST_F(HostileServiceTest, EveryFaultDuringASendKeepsTheSummaryAndTheMessage)
{
    UseBounds(Bounds::Low);
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
        PlayAndClick(m_app, fault, kSend, hSummary, IDOK);
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
    UseBounds(Bounds::Low);
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
        PlayAndClick(m_app, fault, kAdd, hAdd, IDOK);
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

// A service may refuse the credentials with 401 or 403: the word still counts.
TEST_F(HostileServiceTest, LoginFailedWith401Or403SendsTheMemberBackToSignIn)
{
    UseBounds(Bounds::Low);
    for (int status : {401, 403}) {
        SCOPED_TRACE(status);
        CAppDriver app;
        ASSERT_TRUE(app.Start(L"", L"", CAppDriver::OutputMode::None));
        HWND hLogin = app.WaitForWindow(kLoginCaption);
        ASSERT_NE(hLogin, nullptr);
        ASSERT_TRUE(m_standin.QueueAnswer(Page(status, "LOGIN_FAILED")));
        ui::TypeText(hLogin, IDC_EMAIL, Widen(kEmail));
        ui::TypeText(hLogin, IDC_PASSWORD, Widen(kPassword));
        ui::Click(hLogin, IDOK);
        auto box = app.WaitForMessageBox(kBoundedWaitMs);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, L"Login Failed - Please try again.");
        EXPECT_EQ(box->caption, L"Details");
        CAppDriver::Answer(*box);
        EXPECT_NE(app.WaitForWindow(kLoginCaption), nullptr);
    }
}

}  // namespace
