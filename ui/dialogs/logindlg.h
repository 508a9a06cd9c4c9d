#pragma once

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/handles.h"

class CLoginDlg : public CDialogImpl<CLoginDlg> {
public:
    CLoginDlg();

    void SetLoginFailed(bool bLoginFailed) { m_bShowLoginFailed = bLoginFailed; }
    bool IsCancelled() const { return m_bCancelled; }
    void GetUserName(CBstr& bstrUserName) const { bstrUserName = m_bstrUserName; }
    void GetPassword(CBstr& bstrPassword) const { bstrPassword = m_bstrPassword; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnOK(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCancel(WPARAM wParam, LPARAM lParam);
    INT_PTR OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnRegister(WPARAM wParam, LPARAM lParam);

    // True until credentials are accepted, so a dialog that never opened
    // counts as cancelled.
    bool m_bCancelled = true;
    bool m_bShowLoginFailed = false;
    CBstr m_bstrUserName;
    CBstr m_bstrPassword;
};
