// The rules an exchange ends by: the bounds from the settings store, and what
// makes an answer whole.
#include "transportfixture.h"

#include <malloc.h>

#include <functional>

#include "net/exchangebounds.h"

namespace {

using namespace transporttest;
using PostCommandTest = TransportTest;

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

}  // namespace
