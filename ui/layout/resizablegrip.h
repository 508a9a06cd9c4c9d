#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/layout/resizablecontrol.h"

// The size grip in a dialog's bottom-right corner and the controls that follow
// the dialog's size.
class CResizableGrip {
public:
    CResizableGrip();
    virtual ~CResizableGrip();
    CResizableGrip(const CResizableGrip&) = delete;
    CResizableGrip& operator=(const CResizableGrip&) = delete;

    // Creates and shows the grip; false when its window cannot be made.
    bool CreateGrip(HWND hParent);
    void ShowGrip(bool bShow);
    // Into the corner; hidden and disabled while the dialog is maximised.
    void UpdateGripPosition();
    HWND GetGripWindow() const;

    // A new control for the caller to Attach and anchor; null on no memory.
    ResizableControl* AddControl();
    void RepositionAll();

    // The dialog's scale since CreateGrip, in dots per inch.
    UINT Dpi() const { return m_dpi; }
    // The dialog has moved to a display of another scale: its children and
    // the grip take the new scale, and the dialog the rectangle the system
    // suggests, by which the controls are laid out again.
    void ChangeDpi(UINT dpi, const RECT& rcSuggested);

private:
    void ReadGripSize();
    void ScaleChildren(UINT dpiFrom, UINT dpiTo) const;
    bool ShapeIntoTriangle();
    bool Subclass();
    static LRESULT CALLBACK GripProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_parentWindow = nullptr;
    UINT m_dpi = 0;
    int m_gripWidth;
    int m_gripHeight;
    HWND m_gripWindow = nullptr;
    std::vector<std::unique_ptr<ResizableControl>> m_controls;
};
