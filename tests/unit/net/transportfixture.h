#pragma once

// A stand-in for the library whose calls complete at once, and the fixture
// the transport's tests share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/internetapi.h"
#include "net/servicerequest.h"
#include "net/transport.h"

namespace transporttest {

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

inline const HINTERNET kSession = reinterpret_cast<HINTERNET>(0x5E55);
inline const HINTERNET kConnection = reinterpret_cast<HINTERNET>(0xC044);
inline const HINTERNET kRequest = reinterpret_cast<HINTERNET>(0x4E0F);

struct Exchange {
    bool bOk = true;
    bool bNull = true;
    std::string text;
};

// A machine that is online, whose library opens every handle and sends every
// request at once, with a status line and the answer served by ServeAnswer.
// Closing a handle reports it closing (a request's only with a connection context, as Windows does).
class TransportTest : public ::testing::Test {
protected:
    TransportTest()
    {
        ON_CALL(m_api, InternetGetConnectedState).WillByDefault(Return(TRUE));
        ON_CALL(m_api, InternetOpenA).WillByDefault(Return(kSession));
        ON_CALL(m_api, InternetConnectA)
            .WillByDefault([this](HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR dwContext) {
                m_dwConnectionContext = dwContext;
                return kConnection;
            });
        ON_CALL(m_api, HttpOpenRequestA)
            .WillByDefault([this](HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR dwContext) {
                m_dwRequestContext = dwContext;
                return kRequest;
            });
        ON_CALL(m_api, HttpSendRequestA).WillByDefault(Return(TRUE));
        ON_CALL(m_api, InternetCloseHandle).WillByDefault([this](HINTERNET hInternet) {
            if (hInternet == kRequest && m_dwConnectionContext) {
                HINTERNET hClosing = kRequest;
                CServiceRequest::OnStatus(kRequest, std::exchange(m_dwRequestContext, 0),
                                           INTERNET_STATUS_HANDLE_CLOSING, &hClosing, sizeof(hClosing));
            }
            if (hInternet == kConnection) {
                CServiceRequest::OnStatus(kConnection, std::exchange(m_dwConnectionContext, 0),
                                           INTERNET_STATUS_HANDLE_CLOSING, &hInternet, sizeof(hInternet));
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
    ~TransportTest() override { EXPECT_EQ(CServiceRequest::ContextsAlive(), 0); }

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
    DWORD_PTR m_dwConnectionContext = 0;
};

}  // namespace transporttest
