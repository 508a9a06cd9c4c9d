#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/layout/controlanchors.h"
#include "ui/layout/resizablegrip.h"

// A sizable dialog that opens at its template's size, which is also its
// smallest: the grip, the controls that follow its size, and a change of
// display scale.
class CDialogLayout {
public:
    CDialogLayout() = default;
    CDialogLayout(const CDialogLayout&) = delete;
    CDialogLayout& operator=(const CDialogLayout&) = delete;

    template <size_t N>
    void Init(HWND hDlg, const ControlAnchor (&anchors)[N])
    {
        Init(hDlg, anchors, N);
    }
    UINT Dpi() const { return m_grip.Dpi(); }

    // WM_SIZE, WM_GETMINMAXINFO and WM_DPICHANGED.
    void Follow();
    void KeepMinimum(MINMAXINFO& info) const;
    void ChangeDpi(UINT dpi, const RECT& rcSuggested);

private:
    void Init(HWND hDlg, const ControlAnchor* pAnchors, size_t nAnchors);

    CResizableGrip m_grip;
    HWND m_hDlg = nullptr;
    SIZE m_minimum = {};
};
