#pragma once

#include <windows.h>

#include "base/bstr.h"

// A dialog bound to a template of the program's resources, run modally or
// modelessly. The object is found again from the window through DWLP_USER,
// stored at WM_INITDIALOG and cleared at WM_NCDESTROY.
class CDialogBase {
public:
    explicit CDialogBase(UINT idTemplate) noexcept : m_idTemplate(idTemplate) {}
    virtual ~CDialogBase();
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // -1 when the template cannot be loaded or the window cannot be made.
    INT_PTR DoModal(HWND hWndOwner);
    // Modeless: null when the window cannot be made.
    HWND Create(HWND hWndOwner);
    void DestroyWindow() noexcept;

    HWND GetHwnd() const noexcept { return m_hWnd; }
    UINT GetTemplateId() const noexcept { return m_idTemplate; }

protected:
    // Routes one message; bHandled false lets the dialog manager handle it.
    virtual INT_PTR ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
    // Whether the dialog acts on this message while the thread waits modally;
    // otherwise commands, timers and menus are dropped and a close waits for
    // the wait's end.
    virtual bool TakesDuringWait(UINT /*uMsg*/, WPARAM /*wParam*/) const { return false; }

    BOOL EndDialog(INT_PTR nResult) const noexcept { return ::EndDialog(m_hWnd, nResult); }
    HWND GetItem(int nId) const noexcept { return ::GetDlgItem(m_hWnd, nId); }
    CBstr GetItemText(int nId) const;
    // Texts reach the windows wide: the 8-bit calls would decode them with the
    // system's code page, which need not be the thread's one they came from.
    void SetItemText(int nId, const CBstr& bstrText) const { SetItemText(nId, bstrText.c_str()); }
    void SetItemText(int nId, LPCWSTR pszText) const;
    void EnableItem(int nId, bool bEnable) const noexcept { ::EnableWindow(GetItem(nId), bEnable ? TRUE : FALSE); }
    void ShowItem(int nId, bool bShow) const noexcept { ::ShowWindow(GetItem(nId), bShow ? SW_SHOW : SW_HIDE); }
    void LimitItemText(int nId, int cchMax) const noexcept;
    void SetCaption(const CBstr& bstrText) const;
    void SetSmallIcon(HICON hIcon) const noexcept;
    int ShowMessageBox(LPCWSTR pszText, LPCWSTR pszCaption, UINT uType = MB_OK) const;
    int ShowMessageBox(const CBstr& bstrText, LPCWSTR pszCaption, UINT uType = MB_OK) const
    {
        return ShowMessageBox(bstrText.c_str(), pszCaption, uType);
    }

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool HoldsOff(UINT uMsg, WPARAM wParam, LPARAM lParam) const;
    const DLGTEMPLATE* LoadTemplate() const;

    UINT m_idTemplate;
    bool m_bModeless = false;
};

// The message map: an array of entries ending with EndOfMap(). The first entry
// whose message, control id and notification code match handles the message.
template <class T>
class CDialogImpl : public CDialogBase {
public:
    using CDialogBase::CDialogBase;

protected:
    using Handler = INT_PTR (T::*)(WPARAM wParam, LPARAM lParam);
    static constexpr int kAny = -1;

    struct MessageMapEntry {
        UINT uMsg;
        int nId;
        int nCode;
        Handler pfnHandler;
    };

    static constexpr MessageMapEntry OnMessage(UINT uMsg, Handler pfn) { return {uMsg, kAny, kAny, pfn}; }
    static constexpr MessageMapEntry OnCommand(int nId, Handler pfn) { return {WM_COMMAND, nId, kAny, pfn}; }
    static constexpr MessageMapEntry OnCommand(int nId, int nCode, Handler pfn) { return {WM_COMMAND, nId, nCode, pfn}; }
    static constexpr MessageMapEntry EndOfMap() { return {0, kAny, kAny, nullptr}; }

    virtual const MessageMapEntry* GetMessageMap() const = 0;

    INT_PTR ProcessMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        for (const MessageMapEntry* pEntry = GetMessageMap(); pEntry->pfnHandler; ++pEntry) {
            if (Matches(*pEntry, uMsg, wParam)) {
                bHandled = true;
                return (static_cast<T*>(this)->*pEntry->pfnHandler)(wParam, lParam);
            }
        }
        bHandled = false;
        return FALSE;
    }

private:
    static bool Matches(const MessageMapEntry& entry, UINT uMsg, WPARAM wParam)
    {
        if (entry.uMsg != uMsg) {
            return false;
        }
        if (uMsg != WM_COMMAND) {
            return true;
        }
        return (entry.nId == kAny || entry.nId == LOWORD(wParam)) && (entry.nCode == kAny || entry.nCode == HIWORD(wParam));
    }
};
