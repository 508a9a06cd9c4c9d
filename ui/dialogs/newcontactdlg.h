#pragma once

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/sealedtext.h"
#include "net/commandcatalogue.h"

// Adds one contact to the member's list on the service.
class CNewContactDlg : public CDialogImpl<CNewContactDlg> {
public:
    CNewContactDlg();

    void SetCredentials(const CBstr& bstrUserName, const CSealedText& password);
    bool IsAdded() const { return m_bAdded; }
    // The service refused the member's credentials; the console reloads its
    // details, which takes the member back to sign in if they stay refused.
    bool IsLoginFailed() const { return m_bLoginFailed; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnAdd(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCancel(WPARAM wParam, LPARAM lParam);

    bool Validate();
    bool AddContact();
    bool ReportAnswer(CommandAnswer answer);

    bool m_bAdded = false;
    bool m_bLoginFailed = false;
    CBstr m_bstrUserName;
    CSealedText m_password;
    CBstr m_bstrFirstName;
    CBstr m_bstrLastName;
    CBstr m_bstrNumber;
};
