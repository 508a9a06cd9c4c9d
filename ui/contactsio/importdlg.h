#pragma once

#include <optional>
#include <vector>

#include "addressbook/importplan.h"
#include "base/bstr.h"
#include "base/dialogbase.h"
#include "base/sealedtext.h"
#include "ui/contactsio/importoutcome.h"
#include "ui/exchange/exchangeframe.h"

// The import itself, in a small modal window of its own: one ADDCONTACT a
// contact in file order, the status line and the bar between them. Each next
// contact waits for a timer, whose message comes after all input: between two
// contacts the window's own input is handled first, so Stop or Escape ends the
// import before the next contact.
class CImportDlg : public CDialogImpl<CImportDlg> {
public:
    CImportDlg(const CBstr& bstrUserName, const CSealedText& password, const std::vector<ImportCandidate>& contacts);
    ~CImportDlg() override;

    const ImportOutcome& Outcome() const { return m_outcome; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnTimer(WPARAM wParam, LPARAM lParam);
    INT_PTR OnStop(WPARAM wParam, LPARAM lParam);

    void ScheduleNext();
    void AddNext();
    bool AddOne(const ImportCandidate& contact);
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
};
