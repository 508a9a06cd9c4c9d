#pragma once

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "ui/resizablegrip.h"

// The console: the member's contacts, credit and message composer.
class CMainDlg : public CDialogImpl<CMainDlg> {
public:
    CMainDlg();

    void SetUserName(const CBstr& bstrUserName) { m_bstrUserName = bstrUserName; }
    void SetPassword(const CBstr& bstrPassword) { m_bstrPassword = bstrPassword; }
    bool IsLoginFailed() const { return m_bLoginFailed; }
    bool IsLogout() const { return m_bLogout; }
    bool IsUpdateRequired() const { return m_bUpdateRequired; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnLogout(WPARAM wParam, LPARAM lParam);
    INT_PTR OnExit(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSize(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSizing(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam);

    CResizableGrip m_grip;
    CBstr m_bstrUserName;
    CBstr m_bstrPassword;
    bool m_bLoginFailed = false;
    bool m_bLogout = false;
    bool m_bUpdateRequired = false;
};
