#pragma once

#include <optional>
#include <vector>

#include "addressbook/importplan.h"
#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/handles.h"
#include "base/sealedtext.h"
#include "ui/contactsio/importoutcome.h"
#include "ui/exchange/exchangeframe.h"

// The import itself, in a small modal window of its own: one ADDCONTACT a
// contact in file order, the status line and the bar between them. Each next
// contact waits for a timer, whose message comes after all input. The window
// stays enabled while a contact's exchange waits, so Stop or Escape acts at
// once: between contacts the import ends before the next one; during an
// exchange that exchange is cancelled, and the import ends with it.
class CImportDlg : public CDialogImpl<CImportDlg> {
public:
    CImportDlg(const CBstr& bstrUserName, const CSealedText& password, const std::vector<ImportCandidate>& contacts);
    ~CImportDlg() override;

    const ImportOutcome& Outcome() const { return m_outcome; }

protected:
    const MessageMapEntry* GetMessageMap() const override;
    bool TakesDuringWait(UINT uMsg, WPARAM wParam) const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnTimer(WPARAM wParam, LPARAM lParam);
    INT_PTR OnStop(WPARAM wParam, LPARAM lParam);

    void ScheduleNext();
    void AddNext();
    bool AddOne(const ImportCandidate& contact);
    bool IsStopping() const;
    void ShowProgress();
    void End(ImportStop stop);

    const CBstr& m_bstrUserName;
    const CSealedText& m_password;
    const std::vector<ImportCandidate>& m_contacts;
    size_t m_nNext = 0;
    ImportOutcome m_outcome;
    // One internet session for the whole import, opened with the first contact.
    std::optional<CExchangeFrame> m_exchange;
    bool m_bOpened = false;
    // Set by Stop while a contact's exchange is out: it ends that exchange.
    CKernelHandle m_hStop;
    bool m_bSending = false;
};
