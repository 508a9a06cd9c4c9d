#pragma once

#include <memory>
#include <vector>

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/sealedtext.h"
#include "net/commandcatalogue.h"
#include "ui/console/contact.h"

// Confirms the recipients of a message and sends it when the member agrees.
class CSendSummaryDlg : public CDialogImpl<CSendSummaryDlg> {
public:
    CSendSummaryDlg();

    // The console's records; they stay the console's and do not change while
    // the summary is open.
    void SetContacts(const std::vector<std::unique_ptr<CContact>>& contacts);
    void SetMessage(const CBstr& bstrMessage) { m_bstrMessage = bstrMessage; }
    void SetCredentials(const CBstr& bstrUserName, const CSealedText& password);
    void SetContactCount(int nContacts) { m_nContacts = nContacts; }
    bool IsSent() const { return m_bSent; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSendNow(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCancel(WPARAM wParam, LPARAM lParam);

    void ShowButtons(bool bShow);
    CBstr ContactNumberList() const;
    void ReportAnswer(CommandAnswer answer, const char* pszAnswer);

    std::vector<CContact*> m_contacts;
    CBstr m_bstrMessage;
    int m_nContacts = 0;
    CBstr m_bstrUserName;
    CSealedText m_password;
    bool m_bClose = false;
    bool m_bSent = false;
};
