#include "ui/layout/resizablegrip.h"

#include <new>

#include "base/handles.h"
#include "ui/layout/dpi.h"

namespace {

// Holds the grip's own window procedure while the grip is subclassed.
const wchar_t kGripProperty[] = L"ResizableGrip";

}  // namespace

CResizableGrip::CResizableGrip()
    : m_gripWidth(::GetSystemMetrics(SM_CXVSCROLL)), m_gripHeight(::GetSystemMetrics(SM_CYHSCROLL))
{
}

// The grip window is the dialog's child and goes with it.
CResizableGrip::~CResizableGrip() = default;

// The grip is as large as the scroll bars at the dialog's scale.
void CResizableGrip::ReadGripSize()
{
    m_gripWidth = SystemMetricForDpi(SM_CXVSCROLL, m_dpi);
    m_gripHeight = SystemMetricForDpi(SM_CYHSCROLL, m_dpi);
}

bool CResizableGrip::CreateGrip(HWND hParent)
{
    m_parentWindow = hParent;
    m_dpi = DpiOfWindow(hParent);
    ReadGripSize();
    m_gripWindow = ::CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_CLIPSIBLINGS | SBS_SIZEGRIP, 0, 0,
                                     m_gripWidth, m_gripHeight, hParent, nullptr, ::GetModuleHandleW(nullptr),
                                     nullptr);
    if (!m_gripWindow) {
        return false;
    }
    ShapeIntoTriangle();
    Subclass();
    LONG_PTR style = ::GetWindowLongPtrW(hParent, GWL_STYLE);
    ::SetWindowLongPtrW(hParent, GWL_STYLE, style | WS_CLIPCHILDREN | WS_THICKFRAME);
    UpdateGripPosition();
    ShowGrip(true);
    return true;
}

// Row i keeps only its rightmost i pixels: the triangle under the diagonal
// from the top-right to the bottom-left corner.
bool CResizableGrip::ShapeIntoTriangle()
{
    CRegionHandle rgnGrip(::CreateRectRgn(0, 0, m_gripWidth, m_gripHeight));
    if (!rgnGrip) {
        return false;
    }
    for (int i = 0; i < m_gripHeight; ++i) {
        CRegionHandle rgnRow(::CreateRectRgn(0, i, m_gripWidth - i, i + 1));
        if (rgnRow) {
            ::CombineRgn(rgnGrip.Get(), rgnGrip.Get(), rgnRow.Get(), RGN_DIFF);
        }
    }
    // On success the window owns the region.
    if (!::SetWindowRgn(m_gripWindow, rgnGrip.Get(), FALSE)) {
        return false;
    }
    rgnGrip.Release();
    return true;
}

bool CResizableGrip::Subclass()
{
    // Wide on both sides: the previous procedure is called as the Unicode one it was read as.
    LONG_PTR previous = ::GetWindowLongPtrW(m_gripWindow, GWLP_WNDPROC);
    if (!previous || !::SetPropW(m_gripWindow, kGripProperty, reinterpret_cast<HANDLE>(previous))) {
        return false;
    }
    ::SetWindowLongPtrW(m_gripWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CResizableGrip::GripProc));
    return true;
}

// The grip presents itself as the dialog's sizing corner.
LRESULT CALLBACK CResizableGrip::GripProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pfnPrevious = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kGripProperty));
    if (!pfnPrevious) {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    switch (uMsg) {
    case WM_NCHITTEST:
        return (::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
    case WM_NCLBUTTONDOWN:
        // Left to the default, the press on a sizing corner would size the
        // grip itself; the dialog is what the member means to size.
        if (wParam == HTBOTTOMRIGHT || wParam == HTBOTTOMLEFT) {
            ::SendMessageW(::GetParent(hWnd), WM_SYSCOMMAND, SC_SIZE + (wParam - HTLEFT + WMSZ_LEFT), lParam);
            return 0;
        }
        break;
    case WM_DESTROY:
        ::RemovePropW(hWnd, kGripProperty);
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnPrevious));
        break;
    default:
        break;
    }
    return ::CallWindowProcW(pfnPrevious, hWnd, uMsg, wParam, lParam);
}

void CResizableGrip::ShowGrip(bool bShow) { ::ShowWindow(m_gripWindow, bShow ? SW_SHOW : SW_HIDE); }

void CResizableGrip::UpdateGripPosition()
{
    RECT rcClient = {};
    ::GetClientRect(m_parentWindow, &rcClient);
    ::SetWindowPos(m_gripWindow, HWND_BOTTOM, rcClient.right - m_gripWidth, rcClient.bottom - m_gripHeight, 0, 0,
                   SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    bool bMaximized = ::IsZoomed(m_parentWindow) != FALSE;
    ::EnableWindow(m_gripWindow, bMaximized ? FALSE : TRUE);
    ::ShowWindow(m_gripWindow, bMaximized ? SW_HIDE : SW_SHOW);
}

HWND CResizableGrip::GetGripWindow() const { return ::IsWindow(m_gripWindow) ? m_gripWindow : nullptr; }

ResizableControl* CResizableGrip::AddControl()
{
    std::unique_ptr<ResizableControl> pControl(new (std::nothrow) ResizableControl());
    if (!pControl) {
        return nullptr;
    }
    m_controls.push_back(std::move(pControl));
    return m_controls.back().get();
}

void CResizableGrip::RepositionAll()
{
    for (const auto& pControl : m_controls) {
        pControl->Reposition();
    }
}

void CResizableGrip::ChangeDpi(UINT dpi, const RECT& rcSuggested)
{
    UINT dpiFrom = m_dpi;
    if (!m_parentWindow || !dpi) {
        return;
    }
    m_dpi = dpi;
    if (dpiFrom && dpiFrom != dpi) {
        ScaleChildren(dpiFrom, dpi);
        for (const auto& pControl : m_controls) {
            pControl->Rescale(dpiFrom, dpi);
        }
    }
    if (GetGripWindow()) {
        ReadGripSize();
        ::SetWindowPos(m_gripWindow, nullptr, 0, 0, m_gripWidth, m_gripHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShapeIntoTriangle();
    }
    ::SetWindowPos(m_parentWindow, nullptr, rcSuggested.left, rcSuggested.top, rcSuggested.right - rcSuggested.left,
                   rcSuggested.bottom - rcSuggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Also when the suggested size is the present one, which sends no WM_SIZE.
    if (GetGripWindow()) {
        UpdateGripPosition();
        RepositionAll();
    }
}

// Every direct child keeps its place and size in the dialog's own terms.
void CResizableGrip::ScaleChildren(UINT dpiFrom, UINT dpiTo) const
{
    for (HWND hChild = ::GetWindow(m_parentWindow, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (hChild == m_gripWindow) {
            continue;
        }
        RECT rc = {};
        ::GetWindowRect(hChild, &rc);
        ::MapWindowPoints(nullptr, m_parentWindow, reinterpret_cast<POINT*>(&rc), 2);
        auto scale = [&](LONG n) { return ::MulDiv(n, static_cast<int>(dpiTo), static_cast<int>(dpiFrom)); };
        ::SetWindowPos(hChild, nullptr, scale(rc.left), scale(rc.top), scale(rc.right) - scale(rc.left),
                       scale(rc.bottom) - scale(rc.top), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
