#pragma once

#include <windows.h>

#include "base/handles.h"

// The keys of the console's contact list, as in every Windows list: Ctrl+A,
// Ctrl+C, Ctrl+V and Del while the list has the focus, the context menu by
// the right button, Shift+F10 or the Menu key; and F5 anywhere in the
// console. Each
// becomes a command posted to the console, so that it runs through the
// console's own handlers.
class CContactListKeys {
public:
    CContactListKeys() = default;
    ~CContactListKeys();
    CContactListKeys(const CContactListKeys&) = delete;
    CContactListKeys& operator=(const CContactListKeys&) = delete;

    // The list's keys from now until it is destroyed; F5 until this object goes.
    void Attach(HWND hConsole, HWND hList);

private:
    static LRESULT CALLBACK ListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                     DWORD_PTR dwRefData);
    static LRESULT CALLBACK GetMessageProc(int nCode, WPARAM wParam, LPARAM lParam);

    CHookHandle m_hRefreshHook;
};
