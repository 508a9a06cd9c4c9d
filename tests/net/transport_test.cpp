#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <malloc.h>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/exchangebounds.h"
#include "net/exchangecontext.h"
#include "net/formfields.h"
#include "net/internetapi.h"
#include "net/servicehost.h"
#include "net/transport.h"

namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::IsNull;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

class MockInternetApi : public CInternetApi {
public:
    MOCK_METHOD(BOOL, InternetGetConnectedState, (LPDWORD, DWORD), (override));
    MOCK_METHOD(BOOL, InternetAutodial, (DWORD, HWND), (override));
    MOCK_METHOD(HINTERNET, InternetOpenA, (LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD), (override));
    MOCK_METHOD(HINTERNET, InternetConnectA,
                (HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR), (override));
    MOCK_METHOD(HINTERNET, HttpOpenRequestA,
                (HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR), (override));
    MOCK_METHOD(BOOL, HttpSendRequestA, (HINTERNET, LPCSTR, DWORD, LPVOID, DWORD), (override));
    MOCK_METHOD(BOOL, InternetQueryDataAvailable, (HINTERNET, LPDWORD, DWORD, DWORD_PTR), (override));
    MOCK_METHOD(BOOL, InternetReadFile, (HINTERNET, LPVOID, DWORD, LPDWORD), (override));
    MOCK_METHOD(BOOL, InternetCloseHandle, (HINTERNET), (override));
    MOCK_METHOD(BOOL, InternetSetOptionA, (HINTERNET, DWORD, LPVOID, DWORD), (override));
    MOCK_METHOD(BOOL, HttpQueryInfoA, (HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD), (override));
    MOCK_METHOD(BOOL, InternetQueryOptionA, (HINTERNET, DWORD, LPVOID, LPDWORD), (override));
    MOCK_METHOD(INTERNET_STATUS_CALLBACK, InternetSetStatusCallbackA, (HINTERNET, INTERNET_STATUS_CALLBACK),
                (override));
    MOCK_METHOD(ULONGLONG, TickCount, (), (override));
};

const HINTERNET kSession = reinterpret_cast<HINTERNET>(0x5E55);
const HINTERNET kConnection = reinterpret_cast<HINTERNET>(0xC044);
const HINTERNET kRequest = reinterpret_cast<HINTERNET>(0x4E0F);

struct Exchange {
    bool bOk = true;
    bool bNull = true;
    std::string text;
};

// A machine that is online, whose library opens every handle and sends every
// request at once, with a status line and the answer served by ServeAnswer.
// Closing the request reports its handle closing, as the library does.
class TransportTest : public ::testing::Test {
protected:
    TransportTest()
    {
        ON_CALL(m_api, InternetGetConnectedState).WillByDefault(Return(TRUE));
        ON_CALL(m_api, InternetOpenA).WillByDefault(Return(kSession));
        ON_CALL(m_api, InternetConnectA).WillByDefault(Return(kConnection));
        ON_CALL(m_api, HttpOpenRequestA)
            .WillByDefault([this](HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR dwContext) {
                m_dwRequestContext = dwContext;
                return kRequest;
            });
        ON_CALL(m_api, HttpSendRequestA).WillByDefault(Return(TRUE));
        ON_CALL(m_api, InternetCloseHandle).WillByDefault([this](HINTERNET hInternet) {
            if (hInternet == kRequest) {
                HINTERNET hClosing = kRequest;
                CExchangeContext::OnStatus(kRequest, std::exchange(m_dwRequestContext, 0),
                                           INTERNET_STATUS_HANDLE_CLOSING, &hClosing, sizeof(hClosing));
            }
            return TRUE;
        });
        ON_CALL(m_api, HttpQueryInfoA).WillByDefault([](HINTERNET, DWORD dwLevel, LPVOID pBuffer, LPDWORD, LPDWORD) {
            if (dwLevel != (HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER)) {
                ::SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
                return FALSE;
            }
            *static_cast<DWORD*>(pBuffer) = 200;
            return TRUE;
        });
        EXPECT_CALL(m_api, HttpQueryInfoA).Times(::testing::AnyNumber());
        ServeAnswer({});
    }

    // Each chunk is announced by InternetQueryDataAvailable as it stands and
    // read in as many pieces as the reader asks for. After the last chunk the
    // library reports the end, or fails when bFailAtEnd.
    void ServeAnswer(std::vector<std::string> chunks, bool bFailAtEnd = false)
    {
        auto pPending = std::make_shared<std::deque<std::string>>(chunks.begin(), chunks.end());
        ON_CALL(m_api, InternetQueryDataAvailable(kRequest, _, 0, 0))
            .WillByDefault([pPending, bFailAtEnd](HINTERNET, LPDWORD pdwAvailable, DWORD, DWORD_PTR) {
                if (pPending->empty() && bFailAtEnd) {
                    ::SetLastError(ERROR_INTERNET_CONNECTION_RESET);
                    return FALSE;
                }
                *pdwAvailable = pPending->empty() ? 0 : static_cast<DWORD>(pPending->front().size());
                return TRUE;
            });
        ON_CALL(m_api, InternetReadFile(kRequest, _, _, _))
            .WillByDefault([pPending](HINTERNET, LPVOID pBuffer, DWORD cbWanted, LPDWORD pcbRead) {
                *pcbRead = 0;
                if (!pPending->empty()) {
                    std::string& chunk = pPending->front();
                    DWORD cb = std::min<DWORD>(cbWanted, static_cast<DWORD>(chunk.size()));
                    std::memcpy(pBuffer, chunk.data(), cb);
                    chunk.erase(0, cb);
                    if (chunk.empty()) {
                        pPending->pop_front();
                    }
                    *pcbRead = cb;
                }
                return TRUE;
            });
    }

    Exchange Post(const char* pszBody = "action=SEND")
    {
        Exchange exchange;
        CommandResponse response = PostCommand(kSession, pszBody, exchange.bOk);
        exchange.bNull = response.IsNull();
        if (!exchange.bNull) {
            EXPECT_EQ(std::strlen(response.Text()), response.Length());
            exchange.text = response.Text();
        }
        return exchange;
    }

    CInternetHandle Open(bool bAllowDial, bool bUnattended)
    {
        return OpenInternetSession(bAllowDial, bUnattended, m_bstrErrorMessage);
    }

    NiceMock<MockInternetApi> m_api;
    CScopedInternetApi m_scope{m_api};
    CBstr m_bstrErrorMessage;
    DWORD_PTR m_dwRequestContext = 0;
};

using OpenInternetSessionTest = TransportTest;

TEST_F(OpenInternetSessionTest, OnlineOpensAPreconfiguredSessionWithoutDialling)
{
    EXPECT_CALL(m_api, InternetAutodial).Times(0);
    EXPECT_CALL(m_api, InternetOpenA(StrEq("QuillbayConsole"), INTERNET_OPEN_TYPE_PRECONFIG, IsNull(), IsNull(),
                                     INTERNET_FLAG_ASYNC))
        .WillOnce(Return(kSession));
    EXPECT_CALL(m_api, InternetSetStatusCallbackA(kSession, ::testing::NotNull()));
    CInternetHandle hSession = Open(true, false);
    EXPECT_EQ(hSession.Get(), kSession);
    EXPECT_TRUE(m_bstrErrorMessage.IsEmpty());
}

TEST_F(OpenInternetSessionTest, OfflineWithDialRefusedGivesNoSession)
{
    EXPECT_CALL(m_api, InternetGetConnectedState(_, 0)).WillOnce(Return(FALSE));
    EXPECT_CALL(m_api, InternetAutodial(INTERNET_AUTODIAL_FORCE_ONLINE, IsNull())).WillOnce(Return(FALSE));
    EXPECT_CALL(m_api, InternetOpenA).Times(0);
    EXPECT_FALSE(Open(true, false));
    EXPECT_STREQ(m_bstrErrorMessage.c_str(), L"Quillbay could not connect to the internet.");
}

TEST_F(OpenInternetSessionTest, OfflineDialsAsAskedAndOpensOnceConnected)
{
    ON_CALL(m_api, InternetGetConnectedState).WillByDefault(Return(FALSE));
    EXPECT_CALL(m_api, InternetAutodial(INTERNET_AUTODIAL_FORCE_ONLINE, IsNull())).WillOnce(Return(TRUE));
    EXPECT_EQ(Open(true, false).Get(), kSession);

    EXPECT_CALL(m_api, InternetAutodial(INTERNET_AUTODIAL_FORCE_ONLINE | INTERNET_AUTODIAL_FORCE_UNATTENDED, IsNull()))
        .WillOnce(Return(TRUE));
    EXPECT_EQ(Open(false, true).Get(), kSession);
}

TEST_F(OpenInternetSessionTest, OfflineWithoutPermissionToDialDoesNotDial)
{
    ON_CALL(m_api, InternetGetConnectedState).WillByDefault(Return(FALSE));
    EXPECT_CALL(m_api, InternetAutodial).Times(0);
    EXPECT_FALSE(Open(false, false));
    EXPECT_STREQ(m_bstrErrorMessage.c_str(), L"Quillbay could not connect to the internet.");
}

TEST_F(OpenInternetSessionTest, TriesADirectSessionWhenThePreconfiguredOneFails)
{
    InSequence order;
    EXPECT_CALL(m_api, InternetOpenA(StrEq("QuillbayConsole"), INTERNET_OPEN_TYPE_PRECONFIG, IsNull(), IsNull(),
                                     INTERNET_FLAG_ASYNC))
        .WillOnce(Return(nullptr));
    EXPECT_CALL(m_api, InternetOpenA(StrEq("QuillbayConsole"), INTERNET_OPEN_TYPE_DIRECT, IsNull(), IsNull(),
                                     INTERNET_FLAG_ASYNC))
        .WillOnce(Return(kSession));
    EXPECT_EQ(Open(true, false).Get(), kSession);
    EXPECT_TRUE(m_bstrErrorMessage.IsEmpty());
}

TEST_F(OpenInternetSessionTest, BothOpensFailingGivesNoSession)
{
    EXPECT_CALL(m_api, InternetOpenA).Times(2).WillRepeatedly(Return(nullptr));
    EXPECT_FALSE(Open(true, false));
    EXPECT_STREQ(m_bstrErrorMessage.c_str(), L"Quillbay Could not connect to the internet (session NULL).");
}

// Without its callback the session would never report a completion.
TEST_F(OpenInternetSessionTest, ASessionThatTakesNoCallbackIsClosedAndReportedAsNone)
{
    EXPECT_CALL(m_api, InternetSetStatusCallbackA).WillOnce(Return(INTERNET_INVALID_STATUS_CALLBACK));
    EXPECT_CALL(m_api, InternetCloseHandle(kSession));
    EXPECT_FALSE(Open(true, false));
    EXPECT_STREQ(m_bstrErrorMessage.c_str(), L"Quillbay Could not connect to the internet (session NULL).");
}

TEST_F(OpenInternetSessionTest, SessionIsClosedWithItsOwner)
{
    EXPECT_CALL(m_api, InternetCloseHandle(kSession)).Times(1);
    Open(true, false);
}

using PostCommandTest = TransportTest;

TEST_F(PostCommandTest, PostsTheBodyOverTlsToTheCommandScript)
{
    static const char kHeader[] = "Content-Type: application/x-www-form-urlencoded";
    EXPECT_CALL(m_api, InternetConnectA(kSession, StrEq(kServiceHost), 443, IsNull(), IsNull(), INTERNET_SERVICE_HTTP,
                                        0, 0));
    EXPECT_CALL(m_api, HttpOpenRequestA(kConnection, StrEq("POST"), StrEq("/scripts/orvexconsole/command.php"),
                                        IsNull(), IsNull(), IsNull(),
                                        INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT, ::testing::Ne(0u)));
    EXPECT_CALL(m_api, HttpSendRequestA(kRequest, StrEq(kHeader), sizeof(kHeader) - 1, _, 11))
        .WillOnce([](HINTERNET, LPCSTR, DWORD, LPVOID pBody, DWORD cbBody) {
            EXPECT_EQ(std::string(static_cast<const char*>(pBody), cbBody), "action=SEND");
            return TRUE;
        });
    Post("action=SEND");
}

TEST_F(PostCommandTest, ReleasesRequestAndConnectionButNotTheSession)
{
    {
        InSequence order;
        EXPECT_CALL(m_api, InternetCloseHandle(kRequest));
        EXPECT_CALL(m_api, InternetCloseHandle(kConnection));
    }
    EXPECT_CALL(m_api, InternetCloseHandle(kSession)).Times(0);
    ServeAnswer({"OK"});
    EXPECT_TRUE(Post().bOk);
}

TEST_F(PostCommandTest, ReleasesTheConnectionWhenTheRequestCannotBeSent)
{
    ON_CALL(m_api, HttpSendRequestA).WillByDefault(Return(FALSE));
    EXPECT_CALL(m_api, InternetCloseHandle(kRequest));
    EXPECT_CALL(m_api, InternetCloseHandle(kConnection));
    Exchange exchange = Post();
    EXPECT_FALSE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

TEST_F(PostCommandTest, FailsWithoutSessionConnectionOrRequest)
{
    bool bOk = true;
    EXPECT_TRUE(PostCommand(nullptr, "x", bOk).IsNull());
    EXPECT_FALSE(bOk);

    EXPECT_CALL(m_api, InternetConnectA).WillOnce(Return(nullptr)).WillRepeatedly(Return(kConnection));
    EXPECT_CALL(m_api, HttpOpenRequestA).WillOnce(Return(nullptr));
    EXPECT_FALSE(Post().bOk);
    EXPECT_FALSE(Post().bOk);
}

TEST_F(PostCommandTest, JoinsChunksInOrder)
{
    ServeAnswer({"<details>", std::string(3000, 'x'), "</details>"});
    Exchange exchange = Post();
    EXPECT_TRUE(exchange.bOk);
    EXPECT_EQ(exchange.text, "<details>" + std::string(3000, 'x') + "</details>");
}

TEST_F(PostCommandTest, NeverAsksForMoreThan1024BytesAtOnce)
{
    EXPECT_CALL(m_api, InternetReadFile(kRequest, _, ::testing::Le(1024u), _)).Times(::testing::AtLeast(1));
    EXPECT_CALL(m_api, InternetReadFile(kRequest, _, ::testing::Gt(1024u), _)).Times(0);
    ServeAnswer({std::string(5000, 'y')});
    EXPECT_EQ(Post().text, std::string(5000, 'y'));
}

TEST_F(PostCommandTest, EmptyAnswerIsSuccessWithoutText)
{
    Exchange exchange = Post();
    EXPECT_TRUE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

TEST_F(PostCommandTest, NulByteEndsTheTextOfItsChunkOnly)
{
    ServeAnswer({std::string("ab\0cd", 5), "ef", std::string("\0gh", 3), "ij"});
    Exchange exchange = Post();
    EXPECT_TRUE(exchange.bOk);
    EXPECT_EQ(exchange.text, "abefij");
}

TEST_F(PostCommandTest, AnswerOfOnlyNulBytesIsAnEmptyText)
{
    ServeAnswer({std::string("\0\0", 2)});
    Exchange exchange = Post();
    EXPECT_TRUE(exchange.bOk);
    EXPECT_FALSE(exchange.bNull);
    EXPECT_EQ(exchange.text, "");
}

TEST_F(PostCommandTest, FailedReadFailsTheExchange)
{
    ServeAnswer({"QLB"});
    EXPECT_CALL(m_api, InternetReadFile).WillOnce(Return(FALSE));
    Exchange exchange = Post();
    EXPECT_FALSE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

// Stopping at a failed availability query would pass a cut answer off as whole.
TEST_F(PostCommandTest, FailedAvailabilityQueryMidAnswerFailsTheExchange)
{
    ServeAnswer({"<details><contacts>", "<contact><id>1</id>"}, true);
    Exchange exchange = Post();
    EXPECT_FALSE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

TEST_F(PostCommandTest, SendCommandPostsTheEncodedFieldsAsAnsiText)
{
    FormFields info;
    info.SetField(L"ACTION", L"SEND");
    info.SetField(L"message", L"caf\u00E9 & co");
    EXPECT_CALL(m_api, HttpSendRequestA(kRequest, _, _, _, _))
        .WillOnce([](HINTERNET, LPCSTR, DWORD, LPVOID pBody, DWORD cbBody) {
            EXPECT_EQ(std::string(static_cast<const char*>(pBody), cbBody), "action=SEND&message=caf%E9%20%26%20co");
            return TRUE;
        });
    ServeAnswer({"QLB"});
    bool bOk = false;
    CommandResponse response = SendCommand(kSession, info, bOk);
    EXPECT_TRUE(bOk);
    EXPECT_STREQ(response.Text(), "QLB");
}

// The bounds as the settings store holds them; each case removes what it wrote.
class ExchangeBoundsTest : public TransportTest {
protected:
    static constexpr wchar_t kKey[] = L"Software\\Velmora\\Orvex\\Windows";

    ~ExchangeBoundsTest() override
    {
        for (LPCWSTR pszName : {CExchangeBounds::kTimeoutValueName, CExchangeBounds::kAnswerDeadlineValueName}) {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, pszName);
        }
    }

    static void Store(LPCWSTR pszName, DWORD dwType, DWORD dwValue, DWORD cbValue = sizeof(DWORD))
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, pszName, dwType, &dwValue, cbValue), ERROR_SUCCESS);
    }

    // The timeout each of the three options received on the handle while acting.
    std::vector<DWORD> Timeouts(HINTERNET hInternet, const std::function<void()>& act)
    {
        std::vector<DWORD> timeouts(3, 0);
        const DWORD options[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                 INTERNET_OPTION_RECEIVE_TIMEOUT};
        for (int i = 0; i < 3; ++i) {
            EXPECT_CALL(m_api, InternetSetOptionA(hInternet, options[i], _, sizeof(DWORD)))
                .WillOnce([&timeouts, i](HINTERNET, DWORD, LPVOID pValue, DWORD) {
                    timeouts[i] = *static_cast<DWORD*>(pValue);
                    return TRUE;
                });
        }
        act();
        ::testing::Mock::VerifyAndClearExpectations(&m_api);
        return timeouts;
    }
};

TEST_F(ExchangeBoundsTest, SessionAndRequestTimeoutsComeFromTheStoreWithinRangeElseTheDefault)
{
    struct Case {
        const char* name;
        DWORD dwType;
        DWORD dwStored;
        DWORD cbStored;
        DWORD dwExpectedMs;
    };
    const Case cases[] = {
        {"absent", REG_NONE, 0, 0, 30000},
        {"two seconds", REG_DWORD, 2, 4, 2000},
        {"the most", REG_DWORD, 3600, 4, 3600000},
        {"zero", REG_DWORD, 0, 4, 30000},
        {"above the most", REG_DWORD, 3601, 4, 30000},
        {"not a number", REG_BINARY, 2, 4, 30000},
    };
    for (const Case& c : cases) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, CExchangeBounds::kTimeoutValueName);
        if (c.dwType != REG_NONE) {
            Store(CExchangeBounds::kTimeoutValueName, c.dwType, c.dwStored, c.cbStored);
        }
        EXPECT_THAT(Timeouts(kSession, [this] { EXPECT_TRUE(Open(true, false)); }),
                    ::testing::Each(c.dwExpectedMs))
            << c.name;
        EXPECT_THAT(Timeouts(kRequest, [this] { Post(); }), ::testing::Each(c.dwExpectedMs)) << c.name;
    }
}

// The clock moves by a second per look; the answer never ends on its own.
TEST_F(ExchangeBoundsTest, AnAnswerStillArrivingAtTheDeadlineFailsTheExchange)
{
    Store(CExchangeBounds::kAnswerDeadlineValueName, REG_DWORD, 5);
    auto pNow = std::make_shared<ULONGLONG>(1000000);
    ON_CALL(m_api, TickCount).WillByDefault([pNow] { return *pNow += 1000; });
    ON_CALL(m_api, InternetQueryDataAvailable).WillByDefault([](HINTERNET, LPDWORD pdwAvailable, DWORD, DWORD_PTR) {
        *pdwAvailable = 1;
        return TRUE;
    });
    EXPECT_CALL(m_api, InternetReadFile).Times(::testing::Between(3, 5)).WillRepeatedly(
        [](HINTERNET, LPVOID pBuffer, DWORD, LPDWORD pcbRead) {
            *static_cast<char*>(pBuffer) = 'x';
            *pcbRead = 1;
            return TRUE;
        });
    Exchange exchange = Post();
    EXPECT_FALSE(exchange.bOk);
    EXPECT_TRUE(exchange.bNull);
}

TEST_F(PostCommandTest, ARedirectIsNotAnAnswerAnyOtherStatusIs)
{
    ServeAnswer({"QLB"});
    for (DWORD dwStatus : {200u, 301u, 302u, 303u, 307u, 308u, 404u, 500u, 503u}) {
        EXPECT_CALL(m_api, HttpQueryInfoA(kRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, _, _, IsNull()))
            .WillOnce([dwStatus](HINTERNET, DWORD, LPVOID pBuffer, LPDWORD pcbBuffer, LPDWORD) {
                EXPECT_EQ(*pcbBuffer, sizeof(DWORD));
                *static_cast<DWORD*>(pBuffer) = dwStatus;
                return TRUE;
            });
        bool bRedirect = dwStatus >= 300 && dwStatus < 400;
        EXPECT_EQ(Post().bOk, !bRedirect) << dwStatus;
        ServeAnswer({"QLB"});
    }
}

// What the body announced against what arrived, and the block the text ends
// up in: exact when a length was announced, trimmed after growing otherwise.
TEST_F(PostCommandTest, AnAnswerShorterThanItsAnnouncedLengthIsNoAnswer)
{
    struct Case {
        const char* pszAnnounced;  // null: no Content-Length
        size_t cbBody;
        ExchangeEnd end;
        size_t cbBlockAtMost;
    };
    const Case cases[] = {
        {"40000", 150, ExchangeEnd::NoAnswer, 0},
        {"3000", 3000, ExchangeEnd::Answered, 3001},
        {"300000", 300000, ExchangeEnd::Answered, 300001},
        {"x12", 3000, ExchangeEnd::Answered, 3001 + 64 * 1024},
        {nullptr, 300000, ExchangeEnd::Answered, 300001 + 64 * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszAnnounced ? c.pszAnnounced : "no length");
        ServeAnswer({std::string(c.cbBody, 'd')});
        EXPECT_CALL(m_api, HttpQueryInfoA(kRequest, HTTP_QUERY_CONTENT_LENGTH, _, _, _))
            .WillRepeatedly([&c](HINTERNET, DWORD, LPVOID pBuffer, LPDWORD pcbBuffer, LPDWORD) {
                if (!c.pszAnnounced) {
                    return FALSE;
                }
                *pcbBuffer = static_cast<DWORD>(std::strlen(c.pszAnnounced));
                std::memcpy(pBuffer, c.pszAnnounced, *pcbBuffer + 1);
                return TRUE;
            });
        ExchangeReport report;
        CommandResponse response = PostCommand(kSession, "action=GETINFORMATION", report);
        EXPECT_EQ(report.end, c.end);
        EXPECT_EQ(response.IsNull(), c.end != ExchangeEnd::Answered);
        if (!response.IsNull()) {
            EXPECT_EQ(response.Length(), c.cbBody);
            EXPECT_GE(_msize(const_cast<char*>(response.Text())), c.cbBody + 1);
            EXPECT_LE(_msize(const_cast<char*>(response.Text())), c.cbBlockAtMost);
        }
    }
}

// No status line, or one the library could not read: the request went out and
// nothing came back that counts.
TEST_F(PostCommandTest, AnAnswerWithoutAStatusLineIsNoAnswer)
{
    struct Case {
        const char* name;
        DWORD dwRequestFlags;
        BOOL bStatusRead;
        DWORD dwStatus;
    };
    const Case cases[] = {
        {"flagged as without headers", INTERNET_REQFLAG_NO_HEADERS, TRUE, 200},
        {"status zero", 0, TRUE, 0},
        {"status unreadable", 0, FALSE, 0},
        {"status out of range", 0, TRUE, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServeAnswer({"LOGIN_FAILED"});
        EXPECT_CALL(m_api, InternetQueryOptionA(kRequest, INTERNET_OPTION_REQUEST_FLAGS, _, _))
            .WillOnce([&c](HINTERNET, DWORD, LPVOID pBuffer, LPDWORD) {
                *static_cast<DWORD*>(pBuffer) = c.dwRequestFlags;
                return TRUE;
            });
        EXPECT_CALL(m_api, HttpQueryInfoA(kRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, _, _, _))
            .Times(::testing::AtMost(1))
            .WillRepeatedly([&c](HINTERNET, DWORD, LPVOID pBuffer, LPDWORD, LPDWORD) {
                *static_cast<DWORD*>(pBuffer) = c.dwStatus;
                return c.bStatusRead;
            });
        ExchangeReport report;
        EXPECT_TRUE(PostCommand(kSession, "action=SEND", report).IsNull());
        EXPECT_EQ(report.end, ExchangeEnd::NoAnswer);
    }
}

TEST(CommandResponseTest, MovesOwnership)
{
    CHeapPtr<char> pText(static_cast<char*>(std::malloc(4)));
    std::memcpy(pText.get(), "abc", 4);
    CommandResponse first(std::move(pText), 3);
    CommandResponse second(std::move(first));
    EXPECT_TRUE(first.IsNull());
    EXPECT_EQ(first.Length(), 0u);
    EXPECT_STREQ(second.Text(), "abc");
    EXPECT_EQ(second.Length(), 3u);
}

}  // namespace
