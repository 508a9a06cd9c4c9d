#pragma once

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/handles.h"
#include "base/sealedtext.h"

class CLoginDlg : public CDialogImpl<CLoginDlg> {
public:
    CLoginDlg();

    void SetLoginFailed(bool bLoginFailed) { m_bShowLoginFailed = bLoginFailed; }
    bool IsCancelled() const { return m_bCancelled; }
    void GetUserName(CBstr& bstrUserName) const { bstrUserName = m_bstrUserName; }
    // Sealed from the moment it is read.
    const CSealedText& GetPassword() const { return m_password; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnOK(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCancel(WPARAM wParam, LPARAM lParam);
    INT_PTR OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnRegister(WPARAM wParam, LPARAM lParam);
    void ClearPasswordField();

    // True until credentials are accepted, so a dialog that never opened
    // counts as cancelled.
    bool m_bCancelled = true;
    bool m_bShowLoginFailed = false;
    CBstr m_bstrUserName;
    CSealedText m_password;
};
