#pragma once

#include <memory>
#include <vector>

#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/sealedtext.h"
#include "base/handles.h"
#include "base/widetextpool.h"
#include "net/commandcatalogue.h"
#include "ui/console/consolelayout.h"
#include "ui/console/contact.h"
#include "ui/console/contactcollector.h"
#include "ui/console/contactlistbox.h"
#include "ui/console/contactlistkeys.h"
#include "ui/contactsio/contactsimport.h"
#include "ui/dialogs/internetaccessprogress.h"
#include "ui/layout/resizablegrip.h"
#include "xml/xmlstreamreceiver.h"

// The console: the member's contacts, credit and message composer. The
// details answer is parsed straight into it.
class CMainDlg : public CDialogImpl<CMainDlg>, public IXmlStreamReceiver {
public:
    CMainDlg();

    void SetUserName(const CBstr& bstrUserName) { m_bstrUserName = bstrUserName; }
    void SetPassword(const CSealedText& password) { m_password = password; }
    bool IsLoginFailed() const { return m_bLoginFailed; }
    bool IsLogout() const { return m_bLogout; }
    bool IsUpdateRequired() const { return m_bUpdateRequired; }

    bool OnFoundNode(const char* pszName, const char* pszAttributes) override;
    bool OnFoundElement(const char* pszName, const char* pszValue, const char* pszAttributes) override;

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnLogout(WPARAM wParam, LPARAM lParam);
    INT_PTR OnExit(WPARAM wParam, LPARAM lParam);
    INT_PTR OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnEndSession(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSize(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSizing(WPARAM wParam, LPARAM lParam);
    INT_PTR OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDpiChanged(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessageUpdate(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSend(WPARAM wParam, LPARAM lParam);
    INT_PTR OnRefresh(WPARAM wParam, LPARAM lParam);
    INT_PTR OnAddNew(WPARAM wParam, LPARAM lParam);
    INT_PTR OnContactsSelChange(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDelete(WPARAM wParam, LPARAM lParam);
    INT_PTR OnBuy(WPARAM wParam, LPARAM lParam);
    // The list's keys and context menu, copy, import and export.
    INT_PTR OnContextMenu(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSelectAll(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCopy(WPARAM wParam, LPARAM lParam);
    INT_PTR OnImport(WPARAM wParam, LPARAM lParam);
    INT_PTR OnPaste(WPARAM wParam, LPARAM lParam);
    INT_PTR OnExport(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDropFiles(WPARAM wParam, LPARAM lParam);

    bool LoadDetails();
    bool FetchDetails();
    void GatherContacts(const char* pszDocument);
    void ListContacts();
    bool DeleteContacts(const CBstr& bstrDeleteList);
    bool RequestDeletion(CInternetAccessProgress& dlgProgress, const CBstr& bstrDeleteList);
    void ReportDeletion(CommandAnswer answer);
    void ClearContacts();
    void ClearSelection(bool bDeselect);
    void UpdateCredits();
    void UpdateCharsLeft();
    std::vector<CContact*> SelectedContacts() const;
    void InitContactsCommands();
    void ImportFile(LPCWSTR pszPath);
    std::vector<std::u16string> ListedNumbers() const;
    void FollowImport(ImportFollowUp followUp);

    CResizableGrip m_grip;
    CConsoleLayout m_layout;
    CContactListBox m_list;  // list 208, from initialisation to destruction
    CContactListKeys m_listKeys;
    CBstr m_bstrUserName;
    // Sent with every command, so kept, but sealed between uses.
    CSealedText m_password;
    bool m_bLoginFailed = false;
    bool m_bLogout = false;
    bool m_bUpdateRequired = false;
    bool m_bLogonEnded = false;
    CBstr m_bstrCredits;
    // The texts of every record below and of the records being gathered.
    CWideTextPool m_contactText;
    CContactCollector m_collector{m_contactText};
    // One record per list row, in row order: row i is m_contacts[i].
    std::vector<std::unique_ptr<CContact>> m_contacts;
};
