#pragma once

#include <windows.h>

#include <vector>

// What a modal wait of this thread does to its windows, for as long as the
// object lives: as a modal dialog disables its owner, the thread's visible
// top-level windows that must not act are disabled, so that Windows drops
// clicks and keys to them and nothing is queued to act later; the window that
// shows the progress stays enabled and takes its keys through the dialog
// manager. A close request that reaches a dialog meanwhile is carried out
// once, after the outermost scope. At the end the windows are enabled again
// and the focus goes back where it was.
class CModalScope {
public:
    // hKeep: the window that stays enabled, or none.
    explicit CModalScope(HWND hKeep = nullptr);
    ~CModalScope();
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;

    // True inside a scope or a modal wait of the calling thread.
    static bool IsOpen();
    // The innermost scope's window that stays enabled, or none.
    static HWND Kept();
    // Posted again, once per window, when the outermost scope or wait ends.
    static void CloseAfterwards(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Counts a wait outside any scope as one, so that its close requests wait for its end.
    class CCount {
    public:
        CCount() noexcept;
        ~CCount();
        CCount(const CCount&) = delete;
        CCount& operator=(const CCount&) = delete;
    };

private:
    static BOOL CALLBACK DisableWindow(HWND hWnd, LPARAM lParam);
    void RestoreFocus() const;

    CCount m_count;
    HWND m_hKeep;
    HWND m_hFocus;
    CModalScope* m_pOuter;
    std::vector<HWND> m_disabled;
};
