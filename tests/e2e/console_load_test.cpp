#include "consolesession.h"

#include <winternl.h>

namespace {

struct ProcessCounts {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};

// Wine's GetProcessHandleCount does not answer for another process; the
// system's process list carries the count.
DWORD HandleCountOf(DWORD processId)
{
    std::vector<BYTE> buffer(1 << 20);
    ULONG cbNeeded = 0;
    if (!NT_SUCCESS(::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &cbNeeded))) {
        return 0;
    }
    for (size_t offset = 0;;) {
        auto* pInfo = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (reinterpret_cast<ULONG_PTR>(pInfo->UniqueProcessId) == processId) {
            return pInfo->HandleCount;
        }
        if (pInfo->NextEntryOffset == 0) {
            return 0;
        }
        offset += pInfo->NextEntryOffset;
    }
}

ProcessCounts CountsOf(const CAppDriver& app)
{
    ProcessCounts counts;
    counts.handles = HandleCountOf(app.ProcessId());
    counts.gdiObjects = ::GetGuiResources(app.Process(), GR_GDIOBJECTS);
    counts.userObjects = ::GetGuiResources(app.Process(), GR_USEROBJECTS);
    return counts;
}

class ConsoleLoadTest : public ConsoleSession {};

TEST_F(ConsoleLoadTest, RepeatedRefreshesLeaveTheResourceCountsFlat)
{
    UseAccount({{"1", "Ann", std::string("Lee"), "0711"}, {"2", "Ben", std::nullopt, "0722"}});
    HWND hConsole = StartAndSignIn();
    ASSERT_NE(hConsole, nullptr);

    // A few rounds first, so that one-time allocations of the libraries are made.
    size_t nRequests = 1;
    auto refresh = [&] { ClickAndWaitForRequests(hConsole, IDC_REFRESH, ++nRequests); };
    for (int i = 0; i < 10; ++i) {
        refresh();
    }
    ProcessCounts before = CountsOf(m_app);
    for (int i = 0; i < 200; ++i) {
        refresh();
    }
    ProcessCounts after = CountsOf(m_app);

    EXPECT_GT(before.handles, 0u) << "Wine reports the handle count";
    EXPECT_LE(after.handles, before.handles + 5) << "handles leak per refresh";
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 5) << "GDI objects leak (0 where Wine does not count)";
    EXPECT_LE(after.userObjects, before.userObjects + 5) << "USER objects leak (0 where Wine does not count)";
    EXPECT_EQ(Rows(hConsole).size(), 2u);
}

TEST_F(ConsoleLoadTest, TenThousandContactsLoadAndList)
{
    StandinAccount account;
    account.email = kEmail;
    account.password = kPassword;
    account.credits = "10000";
    account.generate = 10000;
    ASSERT_TRUE(m_standin.SetAccount(account));

    // Load times are measured by tools/bench-load.sh, not asserted here: this
    // machine is shared and noisy.
    ASSERT_TRUE(m_app.Start(L"", L"", CAppDriver::OutputMode::None));
    HWND hConsole = SignIn(m_app.WaitForWindow(kLoginCaption));
    ASSERT_NE(hConsole, nullptr);
    std::vector<std::string> rows = Rows(hConsole);

    ASSERT_EQ(rows.size(), 10000u);
    EXPECT_THAT(rows.front(), ::testing::StartsWith("First1 Last1 ("));
    EXPECT_THAT(rows.back(), ::testing::StartsWith("First10000 Last10000 ("));
    EXPECT_EQ(CreditLabel(hConsole), L"You have: 10000 credits. Buy more here...");
}

}  // namespace
