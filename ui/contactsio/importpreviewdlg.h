#pragma once

#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "addressbook/text/bytesource.h"
#include "base/dialogbase.h"
#include "ui/contactsio/previewlist.h"
#include "ui/layout/dialoglayout.h"

// Shows, before anything is sent, every contact an address book will add and
// every one it skips with its line and why, and takes the country calling
// code that national numbers get and, for CSV, the columns of the first name,
// the last name and the number. Both lists follow each change at once: a
// column choice reads the source again.
class CImportPreviewDlg : public CDialogImpl<CImportPreviewDlg> {
public:
    // reading: the source as first read, whose columns are proposed; CSV
    // columns the header does not name (UnknownColumns) are chosen here.
    // pszSource: how the counts name the source (L"file").
    CImportPreviewDlg(IByteSource& source, ReadResult reading, const std::vector<std::u16string>& existingNumbers,
                      const std::u16string& countryCode, LPCWSTR pszSource);

    // IDOK to add them; the plan for the columns and the code left chosen.
    const ImportPlan& Plan() const { return m_plan; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCountryCodeChange(WPARAM wParam, LPARAM lParam);
    INT_PTR OnColumnChange(WPARAM wParam, LPARAM lParam);
    INT_PTR OnAdd(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCancel(WPARAM wParam, LPARAM lParam);
    INT_PTR OnSize(WPARAM wParam, LPARAM lParam);
    INT_PTR OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
    INT_PTR OnDpiChanged(WPARAM wParam, LPARAM lParam);

    void ShowColumnChoices();
    void HideColumnChoices();
    size_t ChosenColumn(int nId) const;
    void Replan();

    IByteSource& m_source;
    ReadResult m_reading;
    const std::vector<std::u16string>& m_existingNumbers;
    std::u16string m_countryCode;
    LPCWSTR m_pszSource;
    CsvColumns m_columns;
    ImportPlan m_plan;
    CPreviewList m_added;
    CPreviewList m_skipped;
    CDialogLayout m_layout;
    bool m_bReady = false;
};

// The calling code of the country of the member's regional format, digits
// only; empty where Windows cannot tell.
std::u16string ProposedCountryCode();
