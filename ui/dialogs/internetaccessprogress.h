#pragma once

#include "base/bstr.h"
#include "base/dialogbase.h"

// A small modeless status window for one exchange with the service. The
// exchange blocks the thread that owns it, so every change that matters is
// painted on the spot instead of waiting for a message loop.
class CInternetAccessProgress : public CDialogImpl<CInternetAccessProgress> {
public:
    CInternetAccessProgress();
    // Closes here: once the base destructor runs, the window could no longer
    // reach this class's message map.
    ~CInternetAccessProgress() override;

    // Create (from the base) makes the window hidden; the owner may be null.
    void ShowNow();
    void SetRange(WORD nMax);
    // Shown by the next repaint (Step, SetPosition or a message loop).
    void SetStatusText(const CBstr& bstrText);
    void Step();
    void SetPosition(int nPosition);
    void Close();

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnEndCommand(WPARAM wParam, LPARAM lParam);

    LRESULT SendToBar(UINT uMsg, WPARAM wParam, LPARAM lParam) const;
    void CentreInWorkArea() const;
    void RepaintNow() const;
};
