#include "ui/maindlg.h"

#include "resource.h"
#include "ui/windowplacement.h"

// How the console's controls follow its size, its smallest size, and where
// that size is kept between runs.
namespace {

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

INT_PTR CMainDlg::OnSizing(WPARAM, LPARAM lParam)
{
    RECT* pRect = reinterpret_cast<RECT*>(lParam);
    if (pRect->right - pRect->left < kMinWidth) {
        pRect->right = pRect->left + kMinWidth;
    }
    if (pRect->bottom - pRect->top < kMinHeight) {
        pRect->bottom = pRect->top + kMinHeight;
    }
    return TRUE;
}
