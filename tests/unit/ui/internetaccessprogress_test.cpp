#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "appdriver.h"
#include "resource.h"
#include "ui/dialogs/internetaccessprogress.h"

namespace {

// What another process saw of a dialog: a child's text and the screen pixels
// over the dialog's window rectangle.
struct ScreenShot {
    std::string text;
    RECT rcWindow = {};
    int cx = 0;
    std::vector<DWORD> pixels;

    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * cx + x]; }
};

// Runs the probe and reads its whole output before waiting for it. The thread
// that owns the dialog blocks here and dispatches nothing.
std::optional<ScreenShot> ProbeFromAnotherProcess(HWND hDlg, int nChildId)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!::CreatePipe(&hRead, &hWrite, &sa, 0)) {
        return std::nullopt;
    }
    ::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    std::wstring commandLine = L"\"" + TestDirectory() + L"windowprobe.exe\" " +
                               std::to_wstring(reinterpret_cast<INT_PTR>(hDlg)) + L" " + std::to_wstring(nChildId);
    PROCESS_INFORMATION pi = {};
    BOOL bStarted = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                     nullptr, &si, &pi);
    ::CloseHandle(hWrite);
    std::string output;
    char buffer[65536];
    DWORD cbRead = 0;
    while (bStarted && ::ReadFile(hRead, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead > 0) {
        output.append(buffer, cbRead);
    }
    ::CloseHandle(hRead);
    if (!bStarted) {
        return std::nullopt;
    }
    ::WaitForSingleObject(pi.hProcess, CAppDriver::kDefaultTimeoutMs);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    if (exitCode != 0) {
        return std::nullopt;
    }

    ScreenShot shot;
    std::istringstream lines(output);
    std::getline(lines, shot.text);
    if (!shot.text.empty() && shot.text.back() == '\r') {
        shot.text.pop_back();
    }
    int cy = 0;
    lines >> shot.rcWindow.left >> shot.rcWindow.top >> shot.cx >> cy;
    shot.rcWindow.right = shot.rcWindow.left + shot.cx;
    shot.rcWindow.bottom = shot.rcWindow.top + cy;
    std::string row;
    while (lines >> row) {
        for (size_t i = 0; i + 6 <= row.size(); i += 6) {
            shot.pixels.push_back(std::stoul(row.substr(i, 6), nullptr, 16));
        }
    }
    if (shot.pixels.size() != static_cast<size_t>(shot.cx) * cy) {
        return std::nullopt;
    }
    return shot;
}

// A child's rectangle within its dialog's window rectangle.
RECT ChildRect(HWND hDlg, int nId)
{
    RECT rcDlg = {};
    RECT rc = {};
    ::GetWindowRect(hDlg, &rcDlg);
    ::GetWindowRect(::GetDlgItem(hDlg, nId), &rc);
    ::OffsetRect(&rc, -rcDlg.left, -rcDlg.top);
    return rc;
}

// How much of the bar is filled on screen, along its middle row inside the
// border: up to the last pixel of the colour its first inner pixel has after
// a step. Empty when that colour is the same as the far end's.
double FilledFraction(const ScreenShot& shot, const RECT& rcBar, DWORD dwFill)
{
    int y = (rcBar.top + rcBar.bottom) / 2;
    int left = rcBar.left + 2;
    int right = rcBar.right - 2;
    int last = left - 1;
    for (int x = left; x < right; ++x) {
        if (shot.At(x, y) == dwFill) {
            last = x;
        }
    }
    return static_cast<double>(last - left + 1) / (right - left);
}

// Horizontal span of the text's dark pixels inside a static's rectangle.
int TextSpan(const ScreenShot& shot, const RECT& rcText)
{
    int first = rcText.right;
    int last = rcText.left - 1;
    for (int y = rcText.top; y < rcText.bottom; ++y) {
        for (int x = rcText.left; x < rcText.right; ++x) {
            DWORD c = shot.At(x, y);
            if ((c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 3 * 80) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return last >= first ? last - first + 1 : 0;
}

// Handles everything queued, so the thread has just been idle, as a caller
// coming out of its message loop into an exchange.
void PumpUntilIdle()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void ExpectCentredInWorkArea(const RECT& rc)
{
    RECT rcWork = {};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0));
    EXPECT_NEAR(rc.left - rcWork.left, rcWork.right - rc.right, 1);
    EXPECT_NEAR(rc.top - rcWork.top, rcWork.bottom - rc.bottom, 1);
}

class InternetAccessProgressTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
    }
};

// Each probe runs while this thread dispatches nothing. Before each stage the
// thread has just been idle, as a caller coming from its message loop is.
TEST_F(InternetAccessProgressTest, TextAndBarAreOnScreenWhileTheOwningThreadIsBusy)
{
    CInternetAccessProgress dlgProgress;
    dlgProgress.Create(nullptr);
    HWND hDlg = dlgProgress.GetHwnd();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_FALSE(::IsWindowVisible(hDlg)) << "created hidden";
    EXPECT_EQ(::SendDlgItemMessageA(hDlg, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(::SendDlgItemMessageA(hDlg, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 0);
    RECT rcBar = ChildRect(hDlg, IDC_PROGRESS_BAR);
    RECT rcText = ChildRect(hDlg, IDC_PROGRESS_TEXT);
    POINT ptBarStart = {rcBar.left + 2, (rcBar.top + rcBar.bottom) / 2};

    PumpUntilIdle();
    dlgProgress.ShowNow();
    auto shown = ProbeFromAnotherProcess(hDlg, IDC_PROGRESS_TEXT);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->text, "Progress...");
    ExpectCentredInWorkArea(shown->rcWindow);
    DWORD dwEmpty = shown->At(ptBarStart.x, ptBarStart.y);
    ASSERT_NE(dwEmpty, shown->At(1, 1)) << "the empty bar is on screen";

    PumpUntilIdle();
    dlgProgress.SetRange(4);
    dlgProgress.SetStatusText(CBstr(L"Connecting to Server..."));
    dlgProgress.Step();
    auto stepped = ProbeFromAnotherProcess(hDlg, IDC_PROGRESS_TEXT);
    ASSERT_TRUE(stepped);
    EXPECT_EQ(stepped->text, "Connecting to Server...");
    EXPECT_GT(TextSpan(*stepped, rcText), TextSpan(*shown, rcText) + 20) << "the longer text is on screen";
    DWORD dwFill = stepped->At(ptBarStart.x, ptBarStart.y);
    ASSERT_NE(dwFill, dwEmpty) << "the bar's first quarter is on screen";
    EXPECT_NEAR(FilledFraction(*stepped, rcBar, dwFill), 0.25, 0.08);

    PumpUntilIdle();
    for (int i = 0; i < 3; ++i) {
        dlgProgress.Step();
    }
    auto full = ProbeFromAnotherProcess(hDlg, IDC_PROGRESS_TEXT);
    ASSERT_TRUE(full);
    EXPECT_GT(FilledFraction(*full, rcBar, dwFill), 0.92) << "four steps fill the bar";

    PumpUntilIdle();
    dlgProgress.SetPosition(0);
    auto reset = ProbeFromAnotherProcess(hDlg, IDC_PROGRESS_TEXT);
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->At(ptBarStart.x, ptBarStart.y), dwEmpty);

    dlgProgress.Close();
    EXPECT_FALSE(::IsWindow(hDlg));
    EXPECT_EQ(dlgProgress.GetHwnd(), nullptr);
}

// A work area smaller than the screen, as with a task bar, and restored after.
class CWorkAreaOverride {
public:
    explicit CWorkAreaOverride(RECT rcWork)
    {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &m_rcSaved, 0);
        m_bSet = ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &rcWork, 0) != FALSE;
    }
    ~CWorkAreaOverride()
    {
        if (m_bSet) {
            ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &m_rcSaved, 0);
        }
    }
    bool IsSet() const { return m_bSet; }

private:
    RECT m_rcSaved = {};
    bool m_bSet = false;
};

TEST_F(InternetAccessProgressTest, CentredInTheWorkAreaWithOrWithoutAnOwnerAndAboveTheOwner)
{
    CWorkAreaOverride workArea({200, 100, 1000, 700});
    ASSERT_TRUE(workArea.IsSet());
    HWND hOwner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 5, 5, 300, 200, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(hOwner, nullptr);
    for (HWND hOwnerUsed : {HWND(nullptr), hOwner}) {
        CInternetAccessProgress dlgProgress;
        dlgProgress.Create(hOwnerUsed);
        HWND hDlg = dlgProgress.GetHwnd();
        ASSERT_NE(hDlg, nullptr);
        dlgProgress.ShowNow();
        EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), hOwnerUsed);
        RECT rc = {};
        ::GetWindowRect(hDlg, &rc);
        EXPECT_NEAR(rc.left - 200, 1000 - rc.right, 1) << (hOwnerUsed ? "with" : "without") << " an owner";
        EXPECT_NEAR(rc.top - 100, 700 - rc.bottom, 1) << (hOwnerUsed ? "with" : "without") << " an owner";
        // Left open on purpose: the object closes it when it goes.
    }
    ::DestroyWindow(hOwner);
}

TEST_F(InternetAccessProgressTest, TheObjectClosesAWindowStillOpenAndOnlyPlainCommandsEndIt)
{
    HWND hDlg = nullptr;
    {
        CInternetAccessProgress dlgProgress;
        dlgProgress.Create(nullptr);
        hDlg = dlgProgress.GetHwnd();
        ASSERT_NE(hDlg, nullptr);
        dlgProgress.ShowNow();
        ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0);
        EXPECT_TRUE(::IsWindowVisible(hDlg)) << "only notification code 0 ends it";
        ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        EXPECT_FALSE(::IsWindowVisible(hDlg));
    }
    EXPECT_FALSE(::IsWindow(hDlg));
}

TEST_F(InternetAccessProgressTest, EveryOperationAfterAFailedCreateDoesNothing)
{
    HWND hGone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(hGone);
    CInternetAccessProgress dlgProgress;
    dlgProgress.Create(hGone);
    ASSERT_EQ(dlgProgress.GetHwnd(), nullptr);
    dlgProgress.ShowNow();
    dlgProgress.SetRange(4);
    dlgProgress.SetStatusText(CBstr(L"Loading Details..."));
    dlgProgress.Step();
    dlgProgress.SetPosition(2);
    dlgProgress.Close();
    dlgProgress.Close();
    EXPECT_EQ(::FindWindowA("#32770", nullptr), nullptr) << "no window appeared";
}

}  // namespace
