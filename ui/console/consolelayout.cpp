#include "ui/console/consolelayout.h"

#include "resource.h"
#include "ui/dialogs/smallicon.h"
#include "ui/layout/controlanchors.h"
#include "ui/layout/dpi.h"
#include "ui/layout/windowplacement.h"

namespace {

// At 96 dpi; at other scales in proportion.
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 450;
const wchar_t kWidthValue[] = L"Main Panel Width";
const wchar_t kHeightValue[] = L"Main Panel Height";
const wchar_t kMaximizedValue[] = L"Main Panel Maximized";

using namespace anchor;

// Registered in this order; how each control follows the console's size.
constexpr ControlAnchor kControlAnchors[] = {
    {IDOK, kRight | kDown},
    {IDCANCEL, kRight | kDown},
    {IDC_COMPOSE_GROUP, kWider | kTaller},
    {IDC_MESSAGE, kWider | kTaller},
    {IDC_CONTACTS, kTaller},
    {IDC_CONTACTS_GROUP, kTaller},
    {IDC_SEND_HINT, kDown},
    {IDC_ADDNEW, kDown},
    {IDC_DELETE, kDown},
    {IDC_REFRESH, kRight | kDown},
    {IDC_CREDITS, kDown},
    {IDC_SEND, kRight | kDown},
    {IDC_BUY, kRight | kDown},
};

}  // namespace

void CConsoleLayout::Init(HWND hDlg)
{
    m_hDlg = hDlg;
    KeepDialogLayoutOnDpiChange(m_hDlg);
    m_grip.CreateGrip(m_hDlg);
    m_grip.ShowGrip(true);
    RegisterAnchors(m_grip, m_hDlg, kControlAnchors);
    RestoreWindowPlacement(m_hDlg, kWidthValue, kHeightValue, kMaximizedValue, -1, -1);
}

void CConsoleLayout::Save() const
{
    SaveWindowPlacement(m_hDlg, kWidthValue, kHeightValue, kMaximizedValue);
}

void CConsoleLayout::Follow()
{
    if (m_grip.GetGripWindow()) {
        m_grip.UpdateGripPosition();
        m_grip.RepositionAll();
    }
}

SIZE CConsoleLayout::MinimumSize() const
{
    UINT dpi = m_grip.Dpi() ? m_grip.Dpi() : DpiOfWindow(m_hDlg);
    return {ScaleToDpi(kMinWidth, dpi), ScaleToDpi(kMinHeight, dpi)};
}

void CConsoleLayout::KeepMinimum(RECT& rcSizing) const
{
    SIZE minimum = MinimumSize();
    if (rcSizing.right - rcSizing.left < minimum.cx) {
        rcSizing.right = rcSizing.left + minimum.cx;
    }
    if (rcSizing.bottom - rcSizing.top < minimum.cy) {
        rcSizing.bottom = rcSizing.top + minimum.cy;
    }
}

// The same minimum for every other way of sizing: Snap, the keyboard and
// other programs send no WM_SIZING.
void CConsoleLayout::KeepMinimum(MINMAXINFO& info) const
{
    SIZE minimum = MinimumSize();
    info.ptMinTrackSize.x = minimum.cx;
    info.ptMinTrackSize.y = minimum.cy;
}

void CConsoleLayout::ChangeDpi(UINT dpi, const RECT& rcSuggested)
{
    m_grip.ChangeDpi(dpi, rcSuggested);
    if (g_hSmallIcon) {
        m_scaledIcon.Reset(LoadIconForDpi(IDI_ORVEXAPP, SM_CXSMICON, SM_CYSMICON, dpi));
        HICON hIcon = m_scaledIcon ? m_scaledIcon.Get() : g_hSmallIcon.Get();
        ::SendMessageW(m_hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    }
}
