#pragma once

#include <windows.h>

#include <optional>

#include "base/handles.h"
#include "ui/dialogs/internetaccessprogress.h"

// What the member sees while an exchange runs: the progress window (a bar in
// four steps and "Connecting to Server...") and then the wait cursor. When the
// exchange ends the window closes first and the cursor comes back after it;
// declared before the exchange's internet session, it outlives that session.
class CExchangeProgress {
public:
    explicit CExchangeProgress(HWND hWndOwner);
    ~CExchangeProgress();
    CExchangeProgress(const CExchangeProgress&) = delete;
    CExchangeProgress& operator=(const CExchangeProgress&) = delete;

    CInternetAccessProgress& Window() { return m_dlgProgress; }

private:
    CInternetAccessProgress m_dlgProgress;
    std::optional<CWaitCursor> m_waitCursor;
};
