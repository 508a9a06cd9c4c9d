#include "ui/console/maindlg.h"

#include "resource.h"
#include "ui/dialogs/smallicon.h"
#include "ui/layout/dpi.h"
#include "ui/layout/windowplacement.h"

// How the console's controls follow its size and its display's scale, its
// smallest size, and where that size is kept between runs.
namespace {

// At 96 dpi; at other scales in proportion.
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 450;
const wchar_t kWidthValue[] = L"Main Panel Width";
const wchar_t kHeightValue[] = L"Main Panel Height";
const wchar_t kMaximizedValue[] = L"Main Panel Maximized";

enum Anchor : unsigned { kRight = 1, kDown = 2, kWider = 4, kTaller = 8 };

struct ControlAnchor {
    int nId;
    unsigned anchors;
};

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

void RegisterAnchors(CResizableGrip& grip, HWND hDlg)
{
    for (const ControlAnchor& entry : kControlAnchors) {
        HWND hControl = ::GetDlgItem(hDlg, entry.nId);
        ResizableControl* pControl = hControl ? grip.AddControl() : nullptr;
        if (!pControl) {
            continue;
        }
        pControl->Attach(hControl);
        if (entry.anchors & kRight) {
            pControl->SetAnchorRight();
        }
        if (entry.anchors & kDown) {
            pControl->SetAnchorBottom();
        }
        if (entry.anchors & kWider) {
            pControl->SetStretchWidth();
        }
        if (entry.anchors & kTaller) {
            pControl->SetStretchHeight();
        }
    }
}

}  // namespace

// Controls are registered at the template size, before the stored size
// applies, so every later change is measured from the template.
void CMainDlg::InitLayout()
{
    KeepDialogLayoutOnDpiChange(m_hWnd);
    m_grip.CreateGrip(m_hWnd);
    m_grip.ShowGrip(true);
    RegisterAnchors(m_grip, m_hWnd);
    RestoreWindowPlacement(m_hWnd, kWidthValue, kHeightValue, kMaximizedValue, -1, -1);
}

void CMainDlg::SaveLayout()
{
    SaveWindowPlacement(m_hWnd, kWidthValue, kHeightValue, kMaximizedValue);
}

INT_PTR CMainDlg::OnSize(WPARAM, LPARAM)
{
    if (m_grip.GetGripWindow()) {
        m_grip.UpdateGripPosition();
        m_grip.RepositionAll();
    }
    return FALSE;
}

SIZE CMainDlg::MinimumSize() const
{
    UINT dpi = m_grip.Dpi() ? m_grip.Dpi() : DpiOfWindow(m_hWnd);
    return {ScaleToDpi(kMinWidth, dpi), ScaleToDpi(kMinHeight, dpi)};
}

INT_PTR CMainDlg::OnSizing(WPARAM, LPARAM lParam)
{
    RECT* pRect = reinterpret_cast<RECT*>(lParam);
    SIZE minimum = MinimumSize();
    if (pRect->right - pRect->left < minimum.cx) {
        pRect->right = pRect->left + minimum.cx;
    }
    if (pRect->bottom - pRect->top < minimum.cy) {
        pRect->bottom = pRect->top + minimum.cy;
    }
    return TRUE;
}

// The same minimum for every other way of sizing: Snap, the keyboard and
// other programs send no WM_SIZING.
INT_PTR CMainDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
    SIZE minimum = MinimumSize();
    pInfo->ptMinTrackSize.x = minimum.cx;
    pInfo->ptMinTrackSize.y = minimum.cy;
    return TRUE;
}

// Returns FALSE so that the dialog manager still gives the controls the fonts
// of the new scale.
INT_PTR CMainDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    UINT dpi = LOWORD(wParam);
    m_grip.ChangeDpi(dpi, *reinterpret_cast<const RECT*>(lParam));
    if (g_hSmallIcon) {
        m_scaledIcon.Reset(LoadIconForDpi(IDI_ORVEXAPP, SM_CXSMICON, SM_CYSMICON, dpi));
        SetSmallIcon(m_scaledIcon ? m_scaledIcon.Get() : g_hSmallIcon.Get());
    }
    return FALSE;
}
