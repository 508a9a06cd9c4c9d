#include "ui/layout/controlanchors.h"

void RegisterAnchors(CResizableGrip& grip, HWND hDlg, const ControlAnchor* pAnchors, size_t nAnchors)
{
    for (size_t i = 0; i < nAnchors; ++i) {
        const ControlAnchor& entry = pAnchors[i];
        HWND hControl = ::GetDlgItem(hDlg, entry.nId);
        ResizableControl* pControl = hControl ? grip.AddControl() : nullptr;
        if (!pControl) {
            continue;
        }
        pControl->Attach(hControl);
        if (entry.anchors & anchor::kRight) {
            pControl->SetAnchorRight();
        }
        if (entry.anchors & anchor::kDown) {
            pControl->SetAnchorBottom();
        }
        if (entry.anchors & anchor::kWider) {
            pControl->SetStretchWidth();
        }
        if (entry.anchors & anchor::kTaller) {
            pControl->SetStretchHeight();
        }
    }
}
