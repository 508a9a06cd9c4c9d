// The console and the import preview at 100 % and at 150 % display scale
// (LogPixels 96 and 144): the stored size means the same at both, the smallest
// size grows with the scale, and every control fits the client area without
// overlapping another.
#include <cstring>
#include <vector>

#include "consolesession.h"
#include "displayscale.h"

namespace {

const wchar_t kWindowsKey[] = L"Software\\Velmora\\Orvex\\Windows";

struct Scale {
    const char* name;
    DWORD dpi;
    SIZE opens;      // from a stored 900 x 600
    LONG tolerance;  // the frame's metrics may round at other scales
    SIZE minimum;
};

void PrintTo(const Scale& scale, std::ostream* os) { *os << scale.name; }

void StoreSize(DWORD dwWidth, DWORD dwHeight)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kWindowsKey, L"Main Panel Width", REG_DWORD, &dwWidth, sizeof(DWORD));
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kWindowsKey, L"Main Panel Height", REG_DWORD, &dwHeight, sizeof(DWORD));
}

SIZE StoredSize()
{
    DWORD values[2] = {};
    const wchar_t* names[2] = {L"Main Panel Width", L"Main Panel Height"};
    for (int i = 0; i < 2; ++i) {
        DWORD cb = sizeof(DWORD);
        ::RegGetValueW(HKEY_CURRENT_USER, kWindowsKey, names[i], RRF_RT_REG_DWORD, nullptr, &values[i], &cb);
    }
    return {static_cast<LONG>(values[0]), static_cast<LONG>(values[1])};
}

::testing::AssertionResult SizeNear(HWND hWnd, SIZE expected, LONG tolerance)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    LONG cx = rc.right - rc.left;
    LONG cy = rc.bottom - rc.top;
    if (std::abs(cx - expected.cx) <= tolerance && std::abs(cy - expected.cy) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << cx << " x " << cy << ", expected " << expected.cx << " x "
                                         << expected.cy << " within " << tolerance;
}

bool IsGroupBox(HWND hWnd)
{
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    return _wcsicmp(name, L"Button") == 0 && (::GetWindowLongW(hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Group boxes frame the controls inside them, so only they may overlap.
void ExpectControlsFit(HWND hDlg)
{
    RECT rcClient = {};
    ::GetClientRect(hDlg, &rcClient);
    std::vector<std::pair<int, RECT>> placed;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        int nId = ::GetDlgCtrlID(hChild);
        if (nId == 0 || !::IsWindowVisible(hChild)) {
            continue;  // the grip
        }
        RECT rc = {};
        ::GetWindowRect(hChild, &rc);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        RECT rcUnion = {};
        ::UnionRect(&rcUnion, &rcClient, &rc);
        EXPECT_TRUE(::EqualRect(&rcUnion, &rcClient)) << "control " << nId << " leaves the client area";
        if (IsGroupBox(hChild)) {
            continue;
        }
        for (const auto& other : placed) {
            RECT rcBoth = {};
            EXPECT_FALSE(::IntersectRect(&rcBoth, &rc, &other.second)) << nId << " overlaps " << other.first;
        }
        placed.push_back({nId, rc});
    }
    EXPECT_GE(placed.size(), 12u);
}

class DisplayScaleTest : public ConsoleSession, public ::testing::WithParamInterface<Scale> {
protected:
    void SetUp() override
    {
        ConsoleSession::SetUp();
        UseAccount({{"1", "Ann", std::string("Lee"), "111"}});
        StoreSize(900, 600);
    }

    HWND StartAtScale()
    {
        HWND hLogin = nullptr;
        {
            CDisplayScale scale(GetParam().dpi);
            EXPECT_TRUE(m_app.Start());
            // Once it shows a window the program has read the scale.
            hLogin = m_app.WaitForWindow(kLoginCaption);
        }
        HWND hConsole = hLogin ? SignIn(hLogin) : nullptr;
        EXPECT_TRUE(hConsole && ui::WaitFor([&] { return ui::ListRows(hConsole, IDC_CONTACTS).size() == 1; }));
        return hConsole;
    }
};

TEST_P(DisplayScaleTest, TheStoredSizeAndTheMinimumScaleAndEveryControlFits)
{
    const Scale& scale = GetParam();
    HWND hConsole = StartAtScale();
    ASSERT_NE(hConsole, nullptr);
    EXPECT_TRUE(SizeNear(hConsole, scale.opens, scale.tolerance));
    ExpectControlsFit(hConsole);

    // Sizing from outside sends no WM_SIZING, and still stops at the minimum.
    ::SetWindowPos(hConsole, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Sync(hConsole);
    EXPECT_TRUE(SizeNear(hConsole, scale.minimum, 0));
    ExpectControlsFit(hConsole);

    ::SetWindowPos(hConsole, nullptr, 0, 0, scale.opens.cx, scale.opens.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Click(hConsole, IDOK);
    ASSERT_TRUE(m_app.WaitUntilWindowGone(hConsole));
    SIZE stored = StoredSize();
    EXPECT_EQ(stored.cx, 900) << "stored at 96 dpi";
    EXPECT_EQ(stored.cy, 600);
}

// The import preview opens at its template's size, which is also its
// smallest, and every control fits it, at either scale.
TEST_P(DisplayScaleTest, TheImportPreviewFitsAtItsSmallestSize)
{
    HWND hConsole = StartAtScale();
    ASSERT_NE(hConsole, nullptr);
    const std::wstring text = L"Bo Ek\t00447700900222\r\n";
    HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(hText), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(hText);
    ASSERT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, hText));
    ::CloseClipboard();
    ::PostMessageW(::GetDlgItem(hConsole, IDC_CONTACTS), WM_CHAR, 0x16, 0);  // Ctrl+V
    HWND hPreview = nullptr;
    ASSERT_TRUE(ui::WaitFor([&] { return (hPreview = m_app.FindVisibleWindowWithItem(IDC_TO_ADD)) != nullptr; }));
    RECT rcOpened = {};
    ::GetWindowRect(hPreview, &rcOpened);
    ::SetWindowPos(hPreview, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::Sync(hPreview);
    EXPECT_TRUE(SizeNear(hPreview, {rcOpened.right - rcOpened.left, rcOpened.bottom - rcOpened.top}, 0));
    ExpectControlsFit(hPreview);
    ui::Click(hPreview, IDCANCEL);
    EXPECT_TRUE(m_app.WaitUntilWindowGone(hPreview));
}

INSTANTIATE_TEST_SUITE_P(AtTwoScales, DisplayScaleTest,
                         ::testing::Values(Scale{"At96Dpi", 96, {900, 600}, 0, {700, 450}},
                                           Scale{"At144Dpi", 144, {1350, 900}, 2, {1050, 675}}),
                         [](const ::testing::TestParamInfo<Scale>& info) { return std::string(info.param.name); });

}  // namespace
