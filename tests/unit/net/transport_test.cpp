#include "transportfixture.h"

#include <cstdlib>

#include "net/formfields.h"
#include "net/servicehost.h"

namespace {

using namespace transporttest;

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
                                        0, ::testing::Ne(0u)));
    EXPECT_CALL(m_api, HttpOpenRequestA(kConnection, StrEq("POST"), StrEq("/scripts/orvexconsole/command.php"),
                                        IsNull(), IsNull(), IsNull(),
                                        INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                            INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                                            INTERNET_FLAG_NO_UI,
                                        ::testing::Ne(0u)));
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
