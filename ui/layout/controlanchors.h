#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/layout/resizablegrip.h"

// How a control follows its dialog's size: moved with the right or the bottom
// edge, stretched with the width or the height.
namespace anchor {
constexpr unsigned kRight = 1;
constexpr unsigned kDown = 2;
constexpr unsigned kWider = 4;
constexpr unsigned kTaller = 8;
}  // namespace anchor

struct ControlAnchor {
    int nId;
    unsigned anchors;
};

// Registers the dialog's controls of the table with the grip, in its order;
// an id the dialog lacks is passed over.
void RegisterAnchors(CResizableGrip& grip, HWND hDlg, const ControlAnchor* pAnchors, size_t nAnchors);

template <size_t N>
void RegisterAnchors(CResizableGrip& grip, HWND hDlg, const ControlAnchor (&anchors)[N])
{
    RegisterAnchors(grip, hDlg, anchors, N);
}
