// The life of one asynchronous exchange against a scripted stand-in for the
// library: where it stalls, what closing the request does, and whether any
// call reaches the request after it was closed.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/handles.h"
#include "net/internetapi.h"
#include "net/servicerequest.h"
#include "net/transport.h"
#include "processcounts.h"

namespace {

const HINTERNET kSession = reinterpret_cast<HINTERNET>(0x5E51);
const HINTERNET kConnection = reinterpret_cast<HINTERNET>(0xC041);
const HINTERNET kRequest = reinterpret_cast<HINTERNET>(0x4E01);
constexpr ULONGLONG kLongAfter = 1000000000;

// Where the library leaves the exchange waiting.
enum class Stall { None, Connecting, Handshake, Sending, AfterTheRequest, Reading };
// What closing a request with a call pending does: Windows cancels the call
// and reports the handle closing; Wine's library does both only once the
// service lets go, perhaps never.
enum class OnClose { Cancel, HoldOn };
// Windows as documented calls back for a request only when neither its own
// nor its connection's context is 0, and always cancels; Wine looks at the
// request's context only.
enum class Mode { Documented, WineLike };

// Calls that complete later do so on the caller's thread before they return,
// except a call that stalls, which completes only when let go. The clock
// stands still, except while a call is pending: then it runs past any
// deadline, or, given a cancel event, the member cancels instead.
class CAsyncLibrary : public CInternetApi {
public:
    CAsyncLibrary(Mode mode, Stall stall, OnClose onClose, bool bCompleteAtTheDeadline = false)
        : m_mode(mode), m_stall(stall), m_onClose(mode == Mode::Documented ? OnClose::Cancel : onClose),
          m_bCompleteAtTheDeadline(bCompleteAtTheDeadline)
    {
    }
    ~CAsyncLibrary() override { JoinCompleter(); }

    BOOL InternetGetConnectedState(LPDWORD, DWORD) override { return TRUE; }
    HINTERNET InternetOpenA(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) override { return kSession; }
    INTERNET_STATUS_CALLBACK InternetSetStatusCallbackA(HINTERNET, INTERNET_STATUS_CALLBACK pfnCallback) override
    {
        m_pfnCallback = pfnCallback;
        return nullptr;
    }
    BOOL InternetSetOptionA(HINTERNET hInternet, DWORD, LPVOID, DWORD) override
    {
        Record(hInternet);
        return TRUE;
    }
    HINTERNET InternetConnectA(HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR, DWORD, DWORD,
                               DWORD_PTR dwContext) override
    {
        m_dwConnectionContext = dwContext;
        return kConnection;
    }
    HINTERNET HttpOpenRequestA(HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR dwContext) override
    {
        m_dwContext = dwContext;
        m_bRequestOpen = true;
        return kRequest;
    }
    BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR, DWORD, LPVOID, DWORD) override
    {
        Record(hRequest);
        ++m_nSends;
        if (m_stall != Stall::Connecting) {
            Notify(INTERNET_STATUS_CONNECTED_TO_SERVER, nullptr, 0);
        }
        if (m_stall > Stall::Handshake) {
            Notify(INTERNET_STATUS_SENDING_REQUEST, nullptr, 0);
        }
        if (m_stall > Stall::Sending) {
            DWORD cbSent = 42;
            Notify(INTERNET_STATUS_REQUEST_SENT, &cbSent, sizeof(cbSent));
        }
        return Pend(m_stall == Stall::None || m_stall == Stall::Reading);
    }
    BOOL HttpQueryInfoA(HINTERNET hRequest, DWORD dwLevel, LPVOID pBuffer, LPDWORD, LPDWORD) override
    {
        Record(hRequest);
        *static_cast<DWORD*>(pBuffer) = 200;
        return dwLevel == (HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER);
    }
    BOOL InternetQueryOptionA(HINTERNET hRequest, DWORD, LPVOID, LPDWORD) override
    {
        Record(hRequest);
        return FALSE;
    }
    BOOL InternetQueryDataAvailable(HINTERNET hRequest, LPDWORD pdwAvailable, DWORD, DWORD_PTR) override
    {
        Record(hRequest);
        if (m_stall == Stall::Reading && m_answer.empty()) {
            m_pdwPendingAvailable = pdwAvailable;
            return Pend(false);
        }
        *pdwAvailable = static_cast<DWORD>(m_answer.size());
        return TRUE;
    }
    BOOL InternetReadFile(HINTERNET hRequest, LPVOID pBuffer, DWORD cbWanted, LPDWORD pcbRead) override
    {
        Record(hRequest);
        *pcbRead = static_cast<DWORD>(m_answer.copy(static_cast<char*>(pBuffer), cbWanted));
        m_answer.erase(0, *pcbRead);
        return TRUE;
    }
    BOOL InternetCloseHandle(HINTERNET hInternet) override
    {
        Record(hInternet);
        if (hInternet == kRequest) {
            ++m_nRequestCloses;
            m_bRequestOpen = false;
            if (m_onClose == OnClose::Cancel) {
                LetGo();
            }
        }
        if (hInternet == kConnection && m_dwConnectionContext) {
            m_pfnCallback(hInternet, m_dwConnectionContext, INTERNET_STATUS_HANDLE_CLOSING, &hInternet,
                          sizeof(hInternet));
        }
        return TRUE;
    }
    ULONGLONG TickCount() override
    {
        if (!m_bPending) {
            return m_now;
        }
        if (m_hCancel) {
            ::SetEvent(m_hCancel);
            return m_now;
        }
        // Another thread completes the call just as the waiter finds the deadline passed.
        if (m_bCompleteAtTheDeadline && !m_completer.joinable()) {
            m_completer = std::thread([this] { Complete(TRUE, ERROR_SUCCESS); });
        }
        return m_now += kLongAfter;
    }

    // Ends a pending call as cancelled, writing what a late completion
    // writes, then reports the request's handle closing.
    void LetGo()
    {
        JoinCompleter();
        if (m_bPending) {
            if (m_pdwPendingAvailable) {
                *m_pdwPendingAvailable = 7;
            }
            Complete(FALSE, ERROR_INTERNET_OPERATION_CANCELLED);
        }
        if (m_dwContext) {
            HINTERNET hClosing = kRequest;
            Notify(INTERNET_STATUS_HANDLE_CLOSING, &hClosing, sizeof(hClosing));
            m_dwContext = 0;
        }
    }

    HANDLE m_hCancel = nullptr;
    int m_nSends = 0;
    int m_nRequestCloses = 0;
    int m_nCallsAfterClose = 0;

private:
    // Notes a call on a request that is already closed.
    void Record(HINTERNET hInternet)
    {
        if (hInternet == kRequest && !m_bRequestOpen) {
            ++m_nCallsAfterClose;
        }
    }
    bool Notify(DWORD dwStatus, LPVOID pInfo, DWORD cbInfo)
    {
        bool bCallsBack = m_dwContext && (m_mode == Mode::WineLike || m_dwConnectionContext);
        if (bCallsBack) {
            m_pfnCallback(kRequest, m_dwContext, dwStatus, pInfo, cbInfo);
        }
        return bCallsBack;
    }
    // Unreported, a completion leaves the call pending.
    void Complete(BOOL bResult, DWORD dwError)
    {
        m_bPending = false;
        INTERNET_ASYNC_RESULT result = {static_cast<DWORD_PTR>(bResult), dwError};
        if (!Notify(INTERNET_STATUS_REQUEST_COMPLETE, &result, sizeof(result))) {
            m_bPending = true;
        }
    }
    BOOL Pend(bool bCompleteNow)
    {
        m_bPending = true;
        if (bCompleteNow) {
            Complete(TRUE, ERROR_SUCCESS);
        }
        ::SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    void JoinCompleter()
    {
        if (m_completer.joinable()) {
            m_completer.join();
        }
    }

    const Mode m_mode;
    const Stall m_stall;
    const OnClose m_onClose;
    const bool m_bCompleteAtTheDeadline;
    std::string m_answer = "OK";
    INTERNET_STATUS_CALLBACK m_pfnCallback = nullptr;
    DWORD_PTR m_dwContext = 0;
    DWORD_PTR m_dwConnectionContext = 0;
    bool m_bRequestOpen = false;
    std::atomic<bool> m_bPending{false};
    LPDWORD m_pdwPendingAvailable = nullptr;
    ULONGLONG m_now = 5000;
    std::thread m_completer;
};

ExchangeReport Exchange(CAsyncLibrary& library, std::string* pText = nullptr)
{
    CScopedInternetApi scope(library);
    CBstr bstrErrorMessage;
    CInternetHandle hSession = OpenInternetSession(true, false, bstrErrorMessage);
    ExchangeReport report;
    CommandResponse response = PostCommand(hSession.Get(), "action=SEND", report, library.m_hCancel);
    if (pText && !response.IsNull()) {
        *pText = response.Text();
    }
    return report;
}

class AsyncExchangeTableTest : public ::testing::TestWithParam<Mode> {};

TEST_P(AsyncExchangeTableTest, EachStallEndsAtTheDeadlineWithOneCloseAndNoCallAfterIt)
{
    struct Case {
        const char* name;
        Stall stall;
        OnClose onClose;
        bool bCompleteAtTheDeadline;
        ExchangeEnd end;
        bool bCancelled = false;  // the member cancels instead of the deadline passing
    };
    const Case cases[] = {
        {"answered", Stall::None, OnClose::Cancel, false, ExchangeEnd::Answered},
        {"connecting, held on", Stall::Connecting, OnClose::HoldOn, false, ExchangeEnd::Failed},
        {"handshake, cancelled", Stall::Handshake, OnClose::Cancel, false, ExchangeEnd::NoAnswer},
        {"handshake, held on", Stall::Handshake, OnClose::HoldOn, false, ExchangeEnd::NoAnswer},
        {"sending, held on", Stall::Sending, OnClose::HoldOn, false, ExchangeEnd::NoAnswer},
        {"after the request, cancelled", Stall::AfterTheRequest, OnClose::Cancel, false, ExchangeEnd::NoAnswer},
        {"after the request, held on", Stall::AfterTheRequest, OnClose::HoldOn, false, ExchangeEnd::NoAnswer},
        {"reading, cancelled", Stall::Reading, OnClose::Cancel, false, ExchangeEnd::NoAnswer},
        {"reading, held on", Stall::Reading, OnClose::HoldOn, false, ExchangeEnd::NoAnswer},
        {"send completing at the deadline", Stall::AfterTheRequest, OnClose::Cancel, true, ExchangeEnd::NoAnswer},
        {"send completing at the deadline, held on", Stall::AfterTheRequest, OnClose::HoldOn, true,
         ExchangeEnd::NoAnswer},
        {"query completing at the deadline, held on", Stall::Reading, OnClose::HoldOn, true, ExchangeEnd::NoAnswer},
        {"cancelled connecting, held on", Stall::Connecting, OnClose::HoldOn, false, ExchangeEnd::Failed, true},
        {"cancelled after the request", Stall::AfterTheRequest, OnClose::Cancel, false, ExchangeEnd::NoAnswer, true},
        {"cancelled reading, held on", Stall::Reading, OnClose::HoldOn, false, ExchangeEnd::NoAnswer, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CAsyncLibrary library(GetParam(), c.stall, c.onClose, c.bCompleteAtTheDeadline);
        CKernelHandle hCancel(c.bCancelled ? ::CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr);
        library.m_hCancel = hCancel.Get();
        std::string text;
        EXPECT_EQ(Exchange(library, &text).end, c.end);
        EXPECT_EQ(text, c.end == ExchangeEnd::Answered ? "OK" : "");
        EXPECT_EQ(library.m_nRequestCloses, 1);
        // What the library may still write into stays until it lets go of the request.
        bool bHeld = GetParam() == Mode::WineLike && c.onClose == OnClose::HoldOn;
        EXPECT_EQ(CServiceRequest::ContextsAlive(), bHeld ? 1 : 0);
        library.LetGo();
        EXPECT_EQ(CServiceRequest::ContextsAlive(), 0);
        EXPECT_EQ(library.m_nCallsAfterClose, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Libraries, AsyncExchangeTableTest, ::testing::Values(Mode::Documented, Mode::WineLike));

// Each stalled exchange used to leave a blocked thread behind.
TEST(AsyncExchangeTest, FiftyStalledExchangesLeaveThreadAndHandleCountsFlat)
{
    const ProcessCounts before = CountsOfProcess(::GetCurrentProcessId());
    for (int i = 0; i < 50; ++i) {
        CAsyncLibrary library(Mode::Documented, Stall::AfterTheRequest, OnClose::Cancel);
        ASSERT_EQ(Exchange(library).end, ExchangeEnd::NoAnswer);
    }
    const ProcessCounts after = CountsOfProcess(::GetCurrentProcessId());
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(CServiceRequest::ContextsAlive(), 0);
}

// A library that never lets go of closed requests (Wine's, while the service
// holds the line) gets only a few; further exchanges fail without a call.
TEST(AsyncExchangeTest, RequestsTheLibraryHoldsOnToAreBounded)
{
    std::vector<std::unique_ptr<CAsyncLibrary>> libraries;
    for (LONG i = 0; i < kMaxRequestsHeldByTheLibrary + 2; ++i) {
        libraries.push_back(std::make_unique<CAsyncLibrary>(Mode::WineLike, Stall::Connecting, OnClose::HoldOn));
        EXPECT_EQ(Exchange(*libraries.back()).end, ExchangeEnd::Failed);
        EXPECT_EQ(libraries.back()->m_nSends, i < kMaxRequestsHeldByTheLibrary ? 1 : 0) << i;
    }
    EXPECT_EQ(CServiceRequest::ContextsAlive(), kMaxRequestsHeldByTheLibrary);
    for (auto& pLibrary : libraries) {
        pLibrary->LetGo();
    }
    EXPECT_EQ(CServiceRequest::ContextsAlive(), 0);
    CAsyncLibrary library(Mode::Documented, Stall::None, OnClose::Cancel);
    EXPECT_EQ(Exchange(library).end, ExchangeEnd::Answered) << "exchanges work again";
}

}  // namespace
