#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "appdriver.h"
#include "resource.h"
#include "standinclient.h"

namespace {

const wchar_t kLoginCaption[] = L"Quillbay - 1.0 - Login";
const wchar_t kConsoleCaption[] = L"Quillbay Console - 1.0";
const char kWindowsKey[] = "Software\\Velmora\\Orvex\\Windows";

// The console's controls and how each follows the window's size.
enum Anchor : unsigned { kRight = 1, kDown = 2, kWider = 4, kTaller = 8 };
const std::map<int, unsigned> kAnchors = {
    {IDOK, kRight | kDown},     {IDCANCEL, kRight | kDown},  {IDC_COMPOSE_GROUP, kWider | kTaller},
    {IDC_MESSAGE, kWider | kTaller},                         {IDC_CONTACTS, kTaller},
    {IDC_CONTACTS_GROUP, kTaller},                           {IDC_SEND_HINT, kDown},
    {IDC_ADDNEW, kDown},        {IDC_DELETE, kDown},         {IDC_REFRESH, kRight | kDown},
    {IDC_CREDITS, kDown},       {IDC_SEND, kRight | kDown},  {IDC_BUY, kRight | kDown},
    {IDC_CHARS_LEFT, 0},  // not anchored: stays where it is
};

struct Placement {
    std::optional<DWORD> width;
    std::optional<DWORD> height;
    std::optional<DWORD> maximized;
};

std::optional<DWORD> ReadDword(const char* pszValue)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (::RegGetValueA(HKEY_CURRENT_USER, kWindowsKey, pszValue, RRF_RT_REG_DWORD, nullptr, &dwValue, &cb) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return dwValue;
}

Placement StoredPlacement()
{
    return {ReadDword("Main Panel Width"), ReadDword("Main Panel Height"), ReadDword("Main Panel Maximized")};
}

void StorePlacement(DWORD dwWidth, DWORD dwHeight, bool bMaximized)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    DWORD dwMaximized = bMaximized ? 1 : 0;
    ::RegSetValueExA(hKey, "Main Panel Width", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwWidth), 4);
    ::RegSetValueExA(hKey, "Main Panel Height", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwHeight), 4);
    ::RegSetValueExA(hKey, "Main Panel Maximized", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwMaximized), 4);
    ::RegCloseKey(hKey);
}

SIZE WindowSize(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

bool SizeIs(HWND hWnd, int cx, int cy)
{
    SIZE size = WindowSize(hWnd);
    return size.cx == cx && size.cy == cy;
}

// A control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND hDlg, int nId)
{
    RECT rc = {};
    ::GetWindowRect(::GetDlgItem(hDlg, nId), &rc);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::map<int, RECT> ControlRects(HWND hDlg)
{
    std::map<int, RECT> rects;
    for (const auto& entry : kAnchors) {
        rects[entry.first] = ControlRect(hDlg, entry.first);
    }
    return rects;
}

// The grip: the console's scroll bar child without an identifier.
HWND FindGrip(HWND hDlg)
{
    for (HWND hChild = ::FindWindowExW(hDlg, nullptr, L"ScrollBar", nullptr); hChild;
         hChild = ::FindWindowExW(hDlg, hChild, L"ScrollBar", nullptr)) {
        if (::GetDlgCtrlID(hChild) == 0) {
            return hChild;
        }
    }
    return nullptr;
}

// True when the grip fills the bottom-right corner of the client area.
bool GripInCorner(HWND hDlg, HWND hGrip)
{
    RECT rcClient = {};
    ::GetClientRect(hDlg, &rcClient);
    ::MapWindowPoints(hDlg, nullptr, reinterpret_cast<POINT*>(&rcClient), 2);
    RECT rcGrip = {};
    ::GetWindowRect(hGrip, &rcGrip);
    return rcGrip.right == rcClient.right && rcGrip.bottom == rcClient.bottom &&
           rcGrip.right - rcGrip.left == ::GetSystemMetrics(SM_CXVSCROLL) &&
           rcGrip.bottom - rcGrip.top == ::GetSystemMetrics(SM_CYHSCROLL);
}

void MouseInput(DWORD dwFlags, int x = 0, int y = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    if (dwFlags & MOUSEEVENTF_ABSOLUTE) {
        int cx = ::GetSystemMetrics(SM_CXSCREEN);
        int cy = ::GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(x) * 65536 + cx - 1) / cx);
        input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(y) * 65536 + cy - 1) / cy);
    }
    input.mi.dwFlags = dwFlags;
    ::SendInput(1, &input, sizeof(input));
}

// True when the pointer is at pt, over the console's grip and nothing else.
bool PointerRestsOnGrip(HWND hDlg, POINT pt)
{
    POINT ptNow = {};
    if (!::GetCursorPos(&ptNow) || ptNow.x != pt.x || ptNow.y != pt.y) {
        return false;
    }
    HWND hGrip = FindGrip(hDlg);
    return hGrip && ::WindowFromPoint(pt) == hGrip;
}

bool InSizeLoop(HWND hWnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info) && (info.flags & GUI_INMOVESIZE);
}

// A member's drag with the mouse, pressed at one point and let go at another,
// moving there in small steps. The input queue keeps their order, so the
// sizing loop sees the last move before the release however late it looks.
// Returns once the program's sizing loop is over and the size is applied.
void Drag(HWND hWnd, POINT from, POINT to)
{
    MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x, from.y);
    // Pressed only once the pointer is over the grip in a window on top: under
    // load the move can land after a press sent straight behind it.
    EXPECT_TRUE(ui::WaitFor([hWnd, from] { return PointerRestsOnGrip(hWnd, from); }))
        << "the pointer did not reach the grip";
    MouseInput(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(ui::WaitFor([hWnd] { return InSizeLoop(hWnd); })) << "the press did not start a sizing loop";
    const int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from.x + (to.x - from.x) * i / kSteps,
                   from.y + (to.y - from.y) * i / kSteps);
    }
    // Let go only where the pointer ended: the sizing loop takes the size
    // from the last move it saw, not from the release.
    EXPECT_TRUE(ui::WaitFor([to] {
        POINT pt = {};
        return ::GetCursorPos(&pt) && pt.x == to.x && pt.y == to.y;
    })) << "the pointer did not reach the end of the drag";
    MouseInput(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(ui::WaitFor([hWnd] { return !InSizeLoop(hWnd); })) << "the sizing loop did not end";
    ui::Sync(hWnd);
}

// Each test starts without a stored placement; the sessions of one test share
// one program run, since the console restores its placement each time it opens.
class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kWindowsKey);
        ASSERT_TRUE(m_standin.Reset());
        ASSERT_TRUE(m_app.Start());
        m_hLogin = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(m_hLogin, nullptr);
    }

    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kWindowsKey); }

    // Signs in and returns the console once it has finished opening.
    HWND OpenConsole()
    {
        ui::SetText(m_hLogin, IDC_EMAIL, L"demo@quillbay.test");
        ui::SetText(m_hLogin, IDC_PASSWORD, L"demo1234");
        ui::Click(m_hLogin, IDOK);
        HWND hConsole = m_app.WaitForWindow(kConsoleCaption);
        // A maximised console shows while it still loads the details: wait for
        // the rows with the progress window gone. Its modal loop then shows it
        // once more at the first look at an empty queue; a message sent after
        // a first one has been handled comes after that look.
        auto loaded = [&] {
            return !ui::ListRows(hConsole, IDC_CONTACTS).empty() && !m_app.FindVisibleWindowWithItem(IDC_PROGRESS_BAR);
        };
        if (hConsole && ui::WaitFor(loaded)) {
            ui::Sync(hConsole);
            ui::Sync(hConsole);
        }
        return hConsole;
    }

    // Logout closes the console, which stores its placement, and brings back
    // the sign-in dialog for the next session.
    void Logout(HWND hConsole)
    {
        ui::Click(hConsole, IDOK);
        ASSERT_TRUE(m_app.WaitUntilWindowGone(hConsole));
        m_hLogin = m_app.WaitForWindow(kLoginCaption);
        ASSERT_NE(m_hLogin, nullptr);
    }

    CStandinClient m_standin;
    CAppDriver m_app;
    HWND m_hLogin = nullptr;
};

TEST_F(LayoutTest, FirstRunOpensMaximisedAndRestoresToTwoThirdsOfTheScreenAtTheOrigin)
{
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_TRUE(::IsZoomed(hConsole));

    // A normal show from outside is held back at most once: on a busy machine
    // the first one can still arrive before the loop's first idle.
    ::ShowWindow(hConsole, SW_SHOWNORMAL);
    ui::Sync(hConsole);
    if (::IsZoomed(hConsole)) {
        ::ShowWindow(hConsole, SW_SHOWNORMAL);
    }
    RECT rc = {};
    ::GetWindowRect(hConsole, &rc);
    int cx = ::GetSystemMetrics(SM_CXSCREEN) / 3 * 2;
    int cy = ::GetSystemMetrics(SM_CYSCREEN) / 3 * 2;
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, cx);
    EXPECT_EQ(rc.bottom, cy);

    Logout(hConsole);
    Placement stored = StoredPlacement();
    EXPECT_EQ(stored.width, static_cast<DWORD>(cx));
    EXPECT_EQ(stored.height, static_cast<DWORD>(cy));
    EXPECT_EQ(stored.maximized, 0u);
}

TEST_F(LayoutTest, HalfAStoredSizeCountsAsNone)
{
    StorePlacement(900, 600, false);
    ASSERT_EQ(::RegDeleteKeyValueA(HKEY_CURRENT_USER, kWindowsKey, "Main Panel Height"), ERROR_SUCCESS);
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_TRUE(::IsZoomed(hConsole));
    ::ShowWindow(hConsole, SW_RESTORE);
    EXPECT_TRUE(SizeIs(hConsole, ::GetSystemMetrics(SM_CXSCREEN) / 3 * 2, ::GetSystemMetrics(SM_CYSCREEN) / 3 * 2));
}

TEST_F(LayoutTest, TheNormalSizeIsKeptAcrossMaximisedAndMinimisedCloses)
{
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    ::ShowWindow(hConsole, SW_RESTORE);
    ::SetWindowPos(hConsole, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Logout(hConsole);
    Placement stored = StoredPlacement();
    EXPECT_EQ(stored.width, 900u);
    EXPECT_EQ(stored.height, 600u);
    EXPECT_EQ(stored.maximized, 0u);

    hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_FALSE(::IsZoomed(hConsole));
    EXPECT_TRUE(SizeIs(hConsole, 900, 600));
    ::ShowWindow(hConsole, SW_MAXIMIZE);
    Logout(hConsole);
    stored = StoredPlacement();
    EXPECT_EQ(stored.width, 900u) << "closing maximised keeps the normal size";
    EXPECT_EQ(stored.height, 600u);
    EXPECT_EQ(stored.maximized, 1u);

    hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_TRUE(::IsZoomed(hConsole));
    ::ShowWindow(hConsole, SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(hConsole));
    Logout(hConsole);
    stored = StoredPlacement();
    EXPECT_EQ(stored.width, 900u) << "closing minimised keeps the normal size";
    EXPECT_EQ(stored.height, 600u);
    EXPECT_EQ(stored.maximized, 0u);
}

TEST_F(LayoutTest, TheGripSitsInTheCornerAndHidesWhileMaximised)
{
    StorePlacement(900, 600, false);
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    HWND hGrip = FindGrip(hConsole);
    ASSERT_NE(hGrip, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hGrip));
    EXPECT_TRUE(::IsWindowEnabled(hGrip));
    EXPECT_TRUE(GripInCorner(hConsole, hGrip));
    DWORD_PTR hit = 0;
    ::SendMessageTimeoutW(hGrip, WM_NCHITTEST, 0, 0, SMTO_NORMAL, 5000, &hit);
    EXPECT_EQ(hit, static_cast<DWORD_PTR>(HTBOTTOMRIGHT));

    ::ShowWindow(hConsole, SW_MAXIMIZE);
    ui::Sync(hConsole);
    EXPECT_FALSE(::IsWindowVisible(hGrip));
    EXPECT_FALSE(::IsWindowEnabled(hGrip));

    ::ShowWindow(hConsole, SW_RESTORE);
    ui::Sync(hConsole);
    EXPECT_TRUE(::IsWindowVisible(hGrip));
    EXPECT_TRUE(::IsWindowEnabled(hGrip));
    EXPECT_TRUE(GripInCorner(hConsole, hGrip));

    ::SetWindowPos(hConsole, nullptr, 0, 0, 1010, 640, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Sync(hConsole);
    EXPECT_TRUE(GripInCorner(hConsole, hGrip)) << "the grip follows the corner";
}

TEST_F(LayoutTest, ControlsFollowTheirAnchorsAndComeBackExactly)
{
    StorePlacement(900, 600, false);
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    const std::map<int, RECT> before = ControlRects(hConsole);

    ::SetWindowPos(hConsole, nullptr, 0, 0, 1000, 680, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Sync(hConsole);
    std::map<int, RECT> after = ControlRects(hConsole);
    for (const auto& entry : kAnchors) {
        const RECT& was = before.at(entry.first);
        const RECT& now = after.at(entry.first);
        unsigned anchors = entry.second;
        int dx = (anchors & kRight) ? 100 : 0;
        int dy = (anchors & kDown) ? 80 : 0;
        int dcx = (anchors & kWider) ? 100 : 0;
        int dcy = (anchors & kTaller) ? 80 : 0;
        EXPECT_EQ(now.left, was.left + dx) << "control " << entry.first;
        EXPECT_EQ(now.top, was.top + dy) << "control " << entry.first;
        EXPECT_EQ(now.right - now.left, was.right - was.left + dcx) << "control " << entry.first;
        EXPECT_EQ(now.bottom - now.top, was.bottom - was.top + dcy) << "control " << entry.first;
    }

    ::SetWindowPos(hConsole, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Sync(hConsole);
    after = ControlRects(hConsole);
    for (const auto& entry : kAnchors) {
        EXPECT_TRUE(::EqualRect(&after.at(entry.first), &before.at(entry.first))) << "control " << entry.first;
    }
}

TEST_F(LayoutTest, DraggingTheGripResizesTheConsoleButNotBelowItsMinimum)
{
    StorePlacement(900, 600, false);
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    ASSERT_TRUE(SizeIs(hConsole, 900, 600));
    HWND hGrip = FindGrip(hConsole);
    ASSERT_NE(hGrip, nullptr);
    RECT rc = {};
    ::GetWindowRect(hConsole, &rc);
    RECT rcGrip = {};
    ::GetWindowRect(hGrip, &rcGrip);

    POINT corner = {rcGrip.right - 3, rcGrip.bottom - 3};
    Drag(hConsole, corner, {corner.x + 40, corner.y + 30});
    EXPECT_TRUE(SizeIs(hConsole, 940, 630)) << WindowSize(hConsole).cx << " x " << WindowSize(hConsole).cy;
    RECT rcAfter = {};
    ::GetWindowRect(hConsole, &rcAfter);
    EXPECT_EQ(rcAfter.left, rc.left) << "the top-left corner stays";
    EXPECT_EQ(rcAfter.top, rc.top);
    EXPECT_TRUE(::IsWindowVisible(hGrip));
    EXPECT_TRUE(GripInCorner(hConsole, hGrip));

    ::GetWindowRect(hGrip, &rcGrip);
    corner = {rcGrip.right - 3, rcGrip.bottom - 3};
    Drag(hConsole, corner, {corner.x - 500, corner.y - 400});
    EXPECT_TRUE(SizeIs(hConsole, 700, 450)) << WindowSize(hConsole).cx << " x " << WindowSize(hConsole).cy;
    ::GetWindowRect(hConsole, &rcAfter);
    EXPECT_EQ(rcAfter.left, rc.left);
    EXPECT_EQ(rcAfter.top, rc.top);
}

TEST_F(LayoutTest, AStoredSizeLargerThanTheWorkAreaIsBroughtInsideIt)
{
    StorePlacement(5000, 4000, false);
    HWND hConsole = OpenConsole();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_FALSE(::IsZoomed(hConsole));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(hConsole, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& rcWork = monitor.rcWork;
    auto inside = [&](const RECT& rc) {
        return rc.left >= rcWork.left && rc.top >= rcWork.top && rc.right <= rcWork.right &&
               rc.bottom <= rcWork.bottom;
    };
    RECT rc = {};
    ::GetWindowRect(hConsole, &rc);
    EXPECT_TRUE(inside(rc)) << rc.left << "," << rc.top << " - " << rc.right << "," << rc.bottom;
    for (int nId : {IDC_ADDNEW, IDC_DELETE, IDC_SEND, IDC_BUY, IDC_REFRESH, IDOK, IDCANCEL}) {
        ::GetWindowRect(::GetDlgItem(hConsole, nId), &rc);
        EXPECT_TRUE(inside(rc) && ui::IsVisible(hConsole, nId)) << "button " << nId;
    }
    Placement stored = StoredPlacement();
    EXPECT_EQ(stored.width, 5000u) << "the restore leaves the stored size as it was";
    EXPECT_EQ(stored.height, 4000u);
}

}  // namespace
