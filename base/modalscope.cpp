#include "base/modalscope.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

thread_local int t_nDepth = 0;
thread_local CModalScope* t_pInnermost = nullptr;
thread_local std::vector<MSG>* t_pCloses = nullptr;

void PostCloses()
{
    std::vector<MSG>* pCloses = std::exchange(t_pCloses, nullptr);
    if (!pCloses) {
        return;
    }
    for (const MSG& msg : *pCloses) {
        if (::IsWindow(msg.hwnd)) {
            ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        }
    }
    delete pCloses;
}

}  // namespace

CModalScope::CCount::CCount() noexcept { ++t_nDepth; }

CModalScope::CCount::~CCount()
{
    if (--t_nDepth == 0) {
        PostCloses();
    }
}

CModalScope::CModalScope(HWND hKeep) : m_hKeep(hKeep), m_hFocus(::GetFocus()), m_pOuter(t_pInnermost)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(this));
    t_pInnermost = this;
}

// Enabled before anything else happens, so that a window closing later hands
// the activation to them as to the owner of a modal dialog.
CModalScope::~CModalScope()
{
    t_pInnermost = m_pOuter;
    for (auto it = m_disabled.rbegin(); it != m_disabled.rend(); ++it) {
        if (::IsWindow(*it)) {
            ::EnableWindow(*it, TRUE);
        }
    }
    RestoreFocus();
}

BOOL CALLBACK CModalScope::DisableWindow(HWND hWnd, LPARAM lParam)
{
    CModalScope& scope = *reinterpret_cast<CModalScope*>(lParam);
    if (hWnd != scope.m_hKeep && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd)) {
        ::EnableWindow(hWnd, FALSE);
        scope.m_disabled.push_back(hWnd);
    }
    return TRUE;
}

// Disabling a window takes the focus from it without another window taking
// it. Where another window was activated meanwhile (the progress window), the
// dialog manager gives the focus back when the activation returns.
void CModalScope::RestoreFocus() const
{
    if (!m_hFocus || ::GetFocus() || !::IsWindow(m_hFocus) || !::IsWindowVisible(m_hFocus) ||
        !::IsWindowEnabled(m_hFocus) || ::GetAncestor(m_hFocus, GA_ROOT) != ::GetActiveWindow()) {
        return;
    }
    ::SetFocus(m_hFocus);
}

bool CModalScope::IsOpen() { return t_nDepth > 0; }

HWND CModalScope::Kept() { return t_pInnermost ? t_pInnermost->m_hKeep : nullptr; }

void CModalScope::CloseAfterwards(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (!t_pCloses) {
        t_pCloses = new (std::nothrow) std::vector<MSG>();
        if (!t_pCloses) {
            return;
        }
    }
    if (std::none_of(t_pCloses->begin(), t_pCloses->end(), [hWnd](const MSG& msg) { return msg.hwnd == hWnd; })) {
        MSG msg = {};
        msg.hwnd = hWnd;
        msg.message = uMsg;
        msg.wParam = wParam;
        msg.lParam = lParam;
        t_pCloses->push_back(msg);
    }
}
