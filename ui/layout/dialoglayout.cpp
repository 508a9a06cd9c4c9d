#include "ui/layout/dialoglayout.h"

#include "ui/layout/dpi.h"

void CDialogLayout::Init(HWND hDlg, const ControlAnchor* pAnchors, size_t nAnchors)
{
    m_hDlg = hDlg;
    KeepDialogLayoutOnDpiChange(m_hDlg);
    m_grip.CreateGrip(m_hDlg);
    RegisterAnchors(m_grip, m_hDlg, pAnchors, nAnchors);
    RECT rcWindow = {};
    ::GetWindowRect(m_hDlg, &rcWindow);
    m_minimum = {rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top};
}

void CDialogLayout::Follow()
{
    if (m_grip.GetGripWindow()) {
        m_grip.UpdateGripPosition();
        m_grip.RepositionAll();
    }
}

void CDialogLayout::KeepMinimum(MINMAXINFO& info) const
{
    if (m_hDlg) {
        info.ptMinTrackSize.x = m_minimum.cx;
        info.ptMinTrackSize.y = m_minimum.cy;
    }
}

void CDialogLayout::ChangeDpi(UINT dpi, const RECT& rcSuggested)
{
    const UINT dpiFrom = m_grip.Dpi();
    if (dpiFrom && dpi) {
        m_minimum = {::MulDiv(m_minimum.cx, static_cast<int>(dpi), static_cast<int>(dpiFrom)),
                     ::MulDiv(m_minimum.cy, static_cast<int>(dpi), static_cast<int>(dpiFrom))};
    }
    m_grip.ChangeDpi(dpi, rcSuggested);
}
