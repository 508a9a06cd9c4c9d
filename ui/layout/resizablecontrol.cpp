#include "ui/layout/resizablecontrol.h"

namespace {

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

// Only the size of a kept rectangle counts, so only the size scales.
void ScaleSize(RECT& rc, UINT dpiFrom, UINT dpiTo)
{
    rc.right = rc.left + ::MulDiv(Width(rc), static_cast<int>(dpiTo), static_cast<int>(dpiFrom));
    rc.bottom = rc.top + ::MulDiv(Height(rc), static_cast<int>(dpiTo), static_cast<int>(dpiFrom));
}

}  // namespace

void ResizableControl::Attach(HWND hControl)
{
    m_control = hControl;
    if (!hControl) {
        return;
    }
    ::GetWindowRect(hControl, &m_controlRect);
    if (HWND hParent = ::GetParent(hControl)) {
        ::GetWindowRect(hParent, &m_parentRect);
    }
}

void ResizableControl::Reposition()
{
    HWND hParent = m_control ? ::GetParent(m_control) : nullptr;
    if (!hParent) {
        return;
    }
    bool bAnchored = m_anchorRight || m_anchorBottom;
    bool bStretched = m_stretchWidth || m_stretchHeight;
    if (bAnchored && bStretched) {
        MoveAndStretch(hParent);
    } else if (bAnchored) {
        Move(hParent);
    } else if (bStretched) {
        Stretch(hParent);
    }
}

// Works from where the control is now and the parent's size at the last move.
void ResizableControl::Move(HWND hParent)
{
    ::InvalidateRect(m_control, nullptr, TRUE);
    CaptureClientRect(hParent);
    RECT rcParent = {};
    ::GetWindowRect(hParent, &rcParent);
    int x = m_controlRect.left + (m_anchorRight ? Width(rcParent) - Width(m_parentRect) : 0);
    int y = m_controlRect.top + (m_anchorBottom ? Height(rcParent) - Height(m_parentRect) : 0);
    m_parentRect = rcParent;
    ::SetWindowPos(m_control, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Works from the sizes captured by Attach, which stay as they were.
void ResizableControl::Stretch(HWND hParent)
{
    RECT rcParent = {};
    ::GetWindowRect(hParent, &rcParent);
    int cx = Width(m_controlRect) + (m_stretchWidth ? Width(rcParent) - Width(m_parentRect) : 0);
    int cy = Height(m_controlRect) + (m_stretchHeight ? Height(rcParent) - Height(m_parentRect) : 0);
    ::SetWindowPos(m_control, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
}

// Skipped while the parent cannot show the result; the next change catches up,
// since the parent's size at the last move is kept.
void ResizableControl::MoveAndStretch(HWND hParent)
{
    if (::IsIconic(hParent) || !::IsWindowVisible(hParent) || !::IsWindowEnabled(hParent)) {
        return;
    }
    CaptureClientRect(hParent);
    RECT rcParent = {};
    ::GetWindowRect(hParent, &rcParent);
    int dx = Width(rcParent) - Width(m_parentRect);
    int dy = Height(rcParent) - Height(m_parentRect);
    int x = m_controlRect.left + (m_anchorRight ? dx : 0);
    int y = m_controlRect.top + (m_anchorBottom ? dy : 0);
    int cx = Width(m_controlRect) + (m_stretchWidth ? dx : 0);
    int cy = Height(m_controlRect) + (m_stretchHeight ? dy : 0);
    m_parentRect = rcParent;
    ::SetWindowPos(m_control, nullptr, x, y, cx, cy, SWP_NOZORDER);
}

void ResizableControl::CaptureClientRect(HWND hParent)
{
    ::GetWindowRect(m_control, &m_controlRect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&m_controlRect), 2);
}

void ResizableControl::Rescale(UINT dpiFrom, UINT dpiTo)
{
    if (dpiFrom && dpiTo) {
        ScaleSize(m_controlRect, dpiFrom, dpiTo);
        ScaleSize(m_parentRect, dpiFrom, dpiTo);
    }
}
