#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "net/commandcatalogue.h"
#include "net/exchangebounds.h"
#include "net/formfields.h"
#include "net/internetapi.h"
#include "net/transport.h"
#include "processcounts.h"
#include "standinclient.h"

// Real WinINet over TLS to the stand-in service at https://localhost.
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Pair;
using ::testing::StartsWith;

using Framing = StandinAnswer::Framing;

const char kEmail[] = "ann+test@example.com";
const char kPassword[] = "p@ss w+rd%";
const char kEncodedCredentials[] = "&password=p%40ss%20w%2Brd%25&username=ann%2Btest%40example.com&version=1.0";

struct LibraryCall {
    BOOL bResult;
    DWORD dwCount;
    DWORD dwError;
    // Pending is no failure: the call completes later.
    bool Failed() const { return !bResult && dwError != ERROR_IO_PENDING; }
};

// The completions the library reported, kept for the whole process: the
// library may report one after the test that caused it.
struct Completions {
    std::mutex mutex;
    std::vector<INTERNET_ASYNC_RESULT> results;
    INTERNET_STATUS_CALLBACK pfnForward = nullptr;

    static Completions& Shared()
    {
        static Completions* pShared = new Completions;
        return *pShared;
    }
};

// The real library, with what the sending, the availability queries, the reads
// and their completions reported.
class CRecordingInternetApi : public CInternetApi {
public:
    INTERNET_STATUS_CALLBACK InternetSetStatusCallbackA(HINTERNET hInternet,
                                                        INTERNET_STATUS_CALLBACK pfnCallback) override
    {
        Completions::Shared().pfnForward = pfnCallback;
        return CInternetApi::InternetSetStatusCallbackA(hInternet, Record);
    }

    BOOL InternetQueryDataAvailable(HINTERNET hFile, LPDWORD pdwAvailable, DWORD dwFlags, DWORD_PTR dwContext) override
    {
        BOOL bResult = CInternetApi::InternetQueryDataAvailable(hFile, pdwAvailable, dwFlags, dwContext);
        queries.push_back({bResult, *pdwAvailable, bResult ? ERROR_SUCCESS : ::GetLastError()});
        ::SetLastError(queries.back().dwError);
        return bResult;
    }

    BOOL InternetReadFile(HINTERNET hFile, LPVOID pBuffer, DWORD dwToRead, LPDWORD pdwRead) override
    {
        BOOL bResult = CInternetApi::InternetReadFile(hFile, pBuffer, dwToRead, pdwRead);
        reads.push_back({bResult, *pdwRead, bResult ? ERROR_SUCCESS : ::GetLastError()});
        ::SetLastError(reads.back().dwError);
        return bResult;
    }

    BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR pszHeaders, DWORD dwHeadersLength, LPVOID pOptional,
                          DWORD dwOptionalLength) override
    {
        Completions& completions = Completions::Shared();
        {
            std::lock_guard<std::mutex> lock(completions.mutex);
            completions.results.clear();
        }
        BOOL bResult = CInternetApi::HttpSendRequestA(hRequest, pszHeaders, dwHeadersLength, pOptional,
                                                      dwOptionalLength);
        dwSendError = bResult ? ERROR_SUCCESS : ::GetLastError();
        ::SetLastError(dwSendError);
        return bResult;
    }

    // The send's own error, or the error its completion reported.
    DWORD SendError()
    {
        if (dwSendError != ERROR_IO_PENDING) {
            return dwSendError;
        }
        std::lock_guard<std::mutex> lock(Completions::Shared().mutex);
        const auto& results = Completions::Shared().results;
        return results.empty() || results.front().dwResult ? ERROR_SUCCESS : results.front().dwError;
    }

    bool ReportedFailure()
    {
        auto failed = [](const LibraryCall& call) { return call.Failed(); };
        std::lock_guard<std::mutex> lock(Completions::Shared().mutex);
        const auto& results = Completions::Shared().results;
        return (dwSendError != ERROR_SUCCESS && dwSendError != ERROR_IO_PENDING) ||
               std::any_of(queries.begin(), queries.end(), failed) ||
               std::any_of(reads.begin(), reads.end(), failed) ||
               std::any_of(results.begin(), results.end(),
                           [](const INTERNET_ASYNC_RESULT& result) { return !result.dwResult; });
    }

    std::vector<LibraryCall> queries;
    std::vector<LibraryCall> reads;
    DWORD dwSendError = ERROR_SUCCESS;

private:
    static void CALLBACK Record(HINTERNET hInternet, DWORD_PTR dwContext, DWORD dwStatus, LPVOID pInfo,
                                DWORD cbInfo)
    {
        Completions& completions = Completions::Shared();
        if (dwStatus == INTERNET_STATUS_REQUEST_COMPLETE) {
            std::lock_guard<std::mutex> lock(completions.mutex);
            completions.results.push_back(*static_cast<const INTERNET_ASYNC_RESULT*>(pInfo));
        }
        completions.pfnForward(hInternet, dwContext, dwStatus, pInfo, cbInfo);
    }
};

struct Exchange {
    bool bOk = false;
    bool bNull = true;
    std::string text;
};

using Fields = std::initializer_list<std::pair<LPCWSTR, LPCWSTR>>;

std::string HeaderValue(const std::string& headers, const std::string& name)
{
    size_t start = 0;
    while (start < headers.size()) {
        size_t end = headers.find("\r\n", start);
        std::string line = headers.substr(start, end - start);
        size_t colon = line.find(':');
        if (colon != std::string::npos && ::_stricmp(line.substr(0, colon).c_str(), name.c_str()) == 0) {
            size_t value = line.find_first_not_of(' ', colon + 1);
            return value == std::string::npos ? "" : line.substr(value);
        }
        start = end == std::string::npos ? headers.size() : end + 2;
    }
    return "<missing>";
}

// A member with four contacts on the stand-in; each exchange is made as the
// dialogs make it: open a session, send, close.
class ServiceExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_standin.Reset());
        StandinAccount account;
        account.email = kEmail;
        account.password = kPassword;
        account.credits = "25";
        account.contacts = {{"12", "Ann", std::string("Lee"), "00447700900123"},
                            {"15", "Bob", std::nullopt, "00447700900456"},
                            {"40", "Cy", std::string("Moss"), "00447700900789"},
                            {"57", "Di", std::string("Nye"), "00447700900321"}};
        ASSERT_TRUE(m_standin.SetAccount(account));
    }

    Exchange Send(ServiceCommand command, Fields fields = {})
    {
        Exchange exchange;
        CBstr bstrErrorMessage;
        CInternetHandle hSession = OpenInternetSession(true, false, bstrErrorMessage);
        EXPECT_TRUE(hSession) << "no session: " << bstrErrorMessage.ToAnsi();
        FormFields info;
        SetCommonFields(info, command, CBstr::FromAnsi(kEmail), CSealedText(CBstr::FromAnsi(kPassword)));
        for (const auto& field : fields) {
            info.SetField(field.first, field.second);
        }
        CommandResponse response = SendCommand(hSession.Get(), info, exchange.bOk);
        exchange.bNull = response.IsNull();
        if (!exchange.bNull) {
            exchange.text.assign(response.Text(), response.Length());
        }
        return exchange;
    }

    RecordedRequest OnlyRequest()
    {
        std::vector<RecordedRequest> requests = m_standin.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? RecordedRequest{} : requests.back();
    }

    CStandinClient m_standin;
    CRecordingInternetApi m_api;
    CScopedInternetApi m_scope{m_api};
};

using CommandBodyTest = ServiceExchangeTest;

TEST_F(CommandBodyTest, GetInformation)
{
    Exchange exchange = Send(ServiceCommand::GetInformation);
    EXPECT_EQ(OnlyRequest().body, std::string("action=GETINFORMATION") + kEncodedCredentials);
    ASSERT_TRUE(exchange.bOk);
    EXPECT_EQ(ClassifyAnswer(ServiceCommand::GetInformation, exchange.text.c_str()), CommandAnswer::Unmatched);
    EXPECT_THAT(exchange.text, StartsWith("<details><contacts><contact><id>12</id><fn>Ann</fn>"));
}

TEST_F(CommandBodyTest, DeleteContacts)
{
    Exchange exchange = Send(ServiceCommand::DeleteContacts, {{L"cl", L"12,15,40"}});
    EXPECT_EQ(OnlyRequest().body, std::string("action=DELETECONTACTS&cl=12%2C15%2C40") + kEncodedCredentials);
    EXPECT_EQ(ClassifyAnswer(ServiceCommand::DeleteContacts, exchange.text.c_str()), CommandAnswer::Ok);
    EXPECT_EQ(m_standin.AccountDump(kEmail), "25\n57\tDi\tNye\t00447700900321\n");
}

TEST_F(CommandBodyTest, AddContact)
{
    Exchange exchange =
        Send(ServiceCommand::AddContact, {{L"fn", L"Zo\u00EB"}, {L"ln", L""}, {L"cn", L"00447700900999"}});
    EXPECT_EQ(OnlyRequest().body, std::string("action=ADDCONTACT&cn=00447700900999&fn=Zo%EB&ln=") + kEncodedCredentials);
    EXPECT_EQ(ClassifyAnswer(ServiceCommand::AddContact, exchange.text.c_str()), CommandAnswer::Ok);
    EXPECT_THAT(m_standin.AccountDump(kEmail), HasSubstr("\n58\tZo\xEB\t\t00447700900999\n"));
}

TEST_F(CommandBodyTest, SendWithAwkwardCharacters)
{
    Exchange exchange = Send(ServiceCommand::Send, {{L"message", L"Hi all & 50% + more\r\nCaf\u00E9 time"},
                                                    {L"cn", L"00447700900123,00447700900456"}});
    EXPECT_EQ(OnlyRequest().body,
              std::string("action=SEND&cn=00447700900123%2C00447700900456"
                          "&message=Hi%20all%20%26%2050%25%20%2B%20more%0D%0ACaf%E9%20time") +
                  kEncodedCredentials);
    EXPECT_EQ(ClassifyAnswer(ServiceCommand::Send, exchange.text.c_str()), CommandAnswer::Sent);
    EXPECT_THAT(m_standin.SentMessages(),
                ElementsAre(Pair("Hi all & 50% + more\r\nCaf\xE9 time", "00447700900123,00447700900456")));
}

TEST_F(CommandBodyTest, RequestCarriesTheAgentAndTheFormContentType)
{
    Send(ServiceCommand::GetInformation);
    RecordedRequest request = OnlyRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/scripts/orvexconsole/command.php");
    EXPECT_EQ(HeaderValue(request.headers, "User-Agent"), "QuillbayConsole");
    EXPECT_EQ(HeaderValue(request.headers, "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(HeaderValue(request.headers, "Content-Length"), std::to_string(request.body.size()));
}

TEST_F(CommandBodyTest, MissingScriptPageCountsAsNotFound)
{
    StandinAnswer answer;
    answer.page404 = true;
    ASSERT_TRUE(m_standin.QueueAnswer(answer));
    Exchange exchange = Send(ServiceCommand::Send, {{L"message", L"x"}, {L"cn", L"123"}});
    EXPECT_TRUE(exchange.bOk);
    EXPECT_EQ(ClassifyAnswer(ServiceCommand::Send, exchange.text.c_str()), CommandAnswer::NotFound);
}

// The certificate must name the host and come from a trusted authority;
// otherwise nothing of the request may reach the server.
TEST_F(CommandBodyTest, UntrustedOrWrongHostCertificateFailsBeforeAnythingIsSent)
{
    const std::pair<const char*, DWORD> certificates[] = {{"untrusted", ERROR_INTERNET_INVALID_CA},
                                                          {"wronghost", ERROR_INTERNET_SEC_CERT_CN_INVALID}};
    for (const auto& [pszCertificate, dwExpectedError] : certificates) {
        SCOPED_TRACE(pszCertificate);
        ASSERT_TRUE(m_standin.UseCertificate(pszCertificate));
        Exchange exchange = Send(ServiceCommand::GetInformation);
        EXPECT_FALSE(exchange.bOk);
        EXPECT_TRUE(exchange.bNull);
        EXPECT_EQ(m_api.SendError(), dwExpectedError);
        EXPECT_THAT(m_standin.Requests(), IsEmpty());
    }
}

// Wine's library neither cancels a pending call when its request is closed
// nor ends a TLS handshake the service never answers: each such request keeps
// a library thread until the service lets go. With a few held, further
// exchanges fail at once, so a run of stalls adds no more than those few.
TEST_F(ServiceExchangeTest, FiftyStalledExchangesInARowLeaveTheCountsBounded)
{
    // Before the short deadline: a process's first exchange also loads the TLS library.
    ASSERT_TRUE(Send(ServiceCommand::GetInformation).bOk) << "the library's one-time allocations";
    static constexpr wchar_t kKey[] = L"Software\\Velmora\\Orvex\\Windows";
    DWORD dwDeadlineSeconds = 1;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, CExchangeBounds::kAnswerDeadlineValueName, REG_DWORD,
                                &dwDeadlineSeconds, sizeof(dwDeadlineSeconds)),
              ERROR_SUCCESS);
    ASSERT_TRUE(m_standin.ClearRequests());
    const DWORD processId = ::GetCurrentProcessId();
    const ProcessCounts before = CountsOfProcess(processId);
    ProcessCounts held;
    for (LONG i = 0; i < 50; ++i) {
        if (i < kMaxRequestsHeldByTheLibrary) {
            ASSERT_TRUE(m_standin.QueueConnectionFault("stall"));
        }
        EXPECT_FALSE(Send(ServiceCommand::GetInformation).bOk) << i;
        if (i + 1 == kMaxRequestsHeldByTheLibrary) {
            held = CountsOfProcess(processId);
        }
    }
    const ProcessCounts after = CountsOfProcess(processId);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, CExchangeBounds::kAnswerDeadlineValueName);
    std::printf("threads %lu, %lu with the most held, %lu after fifty; handles %lu, %lu, %lu\n", before.threads,
                held.threads, after.threads, before.handles, held.handles, after.handles);
    EXPECT_THAT(m_standin.Requests(), IsEmpty());
    EXPECT_LE(after.threads, held.threads);
    EXPECT_LE(after.handles, held.handles);
}

class AnswerFramingTest : public ServiceExchangeTest, public ::testing::WithParamInterface<Framing> {
protected:
    Exchange Answered(StandinAnswer answer)
    {
        answer.framing = GetParam();
        EXPECT_TRUE(m_standin.QueueAnswer(answer));
        return Send(ServiceCommand::GetInformation);
    }

    Exchange AnsweredWithSize(long long size)
    {
        StandinAnswer answer;
        answer.size = size;
        return Answered(answer);
    }
};

TEST_P(AnswerFramingTest, AnswersOfAnySizeArriveWholeAndInOrder)
{
    for (long long size : {1LL, 1023LL, 1024LL, 1025LL, 5000LL, 70001LL}) {
        SCOPED_TRACE(size);
        Exchange exchange = AnsweredWithSize(size);
        EXPECT_TRUE(exchange.bOk);
        EXPECT_EQ(exchange.text, CStandinClient::GeneratedBody(size));
    }
}

TEST_P(AnswerFramingTest, TenMegabyteAnswer)
{
    const long long kSize = 10LL * 1024 * 1024;
    Exchange exchange = AnsweredWithSize(kSize);
    EXPECT_TRUE(exchange.bOk);
    ASSERT_EQ(exchange.text.size(), static_cast<size_t>(kSize));
    EXPECT_TRUE(exchange.text == CStandinClient::GeneratedBody(kSize)) << "the bytes differ";
}

TEST_P(AnswerFramingTest, EmptyAnswerIsSuccessWithoutText)
{
    Exchange exchange = AnsweredWithSize(0);
    EXPECT_TRUE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

TEST_P(AnswerFramingTest, NulByteEndsTheText)
{
    StandinAnswer answer;
    answer.body = std::string("OK\0tail", 7);
    Exchange exchange = Answered(answer);
    EXPECT_TRUE(exchange.bOk);
    EXPECT_EQ(exchange.text, "OK");
}

// The library reports the end of a whole answer as a successful query or
// read of zero bytes, never as a failure.
TEST_P(AnswerFramingTest, EndOfACompleteAnswerIsASuccessfulZeroByteRead)
{
    ASSERT_TRUE(AnsweredWithSize(5000).bOk);
    ASSERT_THAT(m_api.reads, Not(IsEmpty()));
    for (const LibraryCall& query : m_api.queries) {
        EXPECT_FALSE(query.Failed());
    }
    EXPECT_TRUE(m_api.reads.back().bResult);
    EXPECT_EQ(m_api.reads.back().dwCount, 0u);
}

// The service pauses before the reset, so the reader is waiting when it comes.
TEST_P(AnswerFramingTest, ConnectionResetMidAnswerFailsTheExchange)
{
    StandinAnswer answer;
    answer.size = 5000;
    answer.cutAfter = 3000;
    answer.cutMode = StandinAnswer::CutMode::Reset;
    Exchange exchange = Answered(answer);
    EXPECT_TRUE(m_api.ReportedFailure());
    EXPECT_FALSE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

std::string FramingName(const ::testing::TestParamInfo<Framing>& info)
{
    switch (info.param) {
    case Framing::Length:
        return "ContentLength";
    case Framing::Chunked:
        return "Chunked";
    case Framing::Close:
        return "ConnectionClose";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(AllFramings, AnswerFramingTest,
                         ::testing::Values(Framing::Length, Framing::Chunked, Framing::Close), FramingName);

}  // namespace
