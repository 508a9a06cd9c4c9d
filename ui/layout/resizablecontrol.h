#pragma once

#include <windows.h>

// One control of a resizable dialog and how it follows the dialog's outer
// size: moved with the right or bottom edge, stretched with the width or
// height, or both.
class ResizableControl {
public:
    ResizableControl() = default;

    // Captures the control's window rectangle and its parent's.
    void Attach(HWND hControl);
    void SetAnchorRight() { m_anchorRight = true; }
    void SetAnchorBottom() { m_anchorBottom = true; }
    void SetStretchWidth() { m_stretchWidth = true; }
    void SetStretchHeight() { m_stretchHeight = true; }

    // Puts the control at its registered place and size plus the change of
    // the parent's size since registration.
    void Reposition();
    // The sizes measured from change with the dialog's display scale.
    void Rescale(UINT dpiFrom, UINT dpiTo);

private:
    void Move(HWND hParent);
    void Stretch(HWND hParent);
    void MoveAndStretch(HWND hParent);
    void CaptureClientRect(HWND hParent);

    HWND m_control = nullptr;
    RECT m_controlRect = {};
    RECT m_parentRect = {};
    bool m_anchorRight = false;
    bool m_anchorBottom = false;
    bool m_stretchWidth = false;
    bool m_stretchHeight = false;
};
