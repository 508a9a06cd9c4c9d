#pragma once

#include <windows.h>

#include "base/handles.h"
#include "ui/layout/resizablegrip.h"

// How the console's controls follow its size and its display's scale, its
// smallest size, and where that size is kept between runs.
class CConsoleLayout {
public:
    explicit CConsoleLayout(CResizableGrip& grip) noexcept : m_grip(grip) {}
    CConsoleLayout(const CConsoleLayout&) = delete;
    CConsoleLayout& operator=(const CConsoleLayout&) = delete;

    // The grip, the anchors and the stored size; the controls are registered
    // at the template size, before the stored size applies, so every later
    // change is measured from the template.
    void Init(HWND hDlg);
    void Save() const;

    // WM_SIZE: the grip and the controls follow.
    void Follow();
    // WM_SIZING and WM_GETMINMAXINFO: never smaller than the minimum.
    void KeepMinimum(RECT& rcSizing) const;
    void KeepMinimum(MINMAXINFO& info) const;
    // WM_DPICHANGED: the grip, the controls and the small icon take the new scale.
    void ChangeDpi(UINT dpi, const RECT& rcSuggested);

private:
    SIZE MinimumSize() const;

    CResizableGrip& m_grip;
    HWND m_hDlg = nullptr;
    CIconHandle m_scaledIcon;  // the small icon at a scale the console moved to
};
