#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/bstr.h"
#include "base/widetextpool.h"
#include "ui/console/contact.h"

// Gathers the contacts of one details document into records whose texts live
// in the pool, so that the answer can go before the list makes its own copy
// of every row. Each "cn" makes a row that reads "name (number)" as the record
// stood then; elements that follow inside the same node change the record but
// not its row.
class CContactCollector {
public:
    explicit CContactCollector(CWideTextPool& text) : m_text(text) {}
    CContactCollector(const CContactCollector&) = delete;
    CContactCollector& operator=(const CContactCollector&) = delete;

    // Forgets the records and the pending one; their texts stay in the pool.
    void Clear();
    // Room for every record the document can give: a row for each "cn".
    void ReserveFor(const char* pszDocument, size_t cbDocument);
    // Any node starts a new, empty pending record.
    void OnNode();
    // "id", "fn", "ln" and "cn" fill the pending record; other names, and
    // anything before the first node, are ignored.
    void OnElement(const char* pszName, const char* pszValue);
    // Ends the document: a pending record with a row joins the records.
    void Finish();

    size_t RowCount() const { return m_records.size(); }
    std::wstring RowText(size_t nRow) const;
    // Every row's wide text with its NUL, in bytes.
    size_t RowTextBytes() const { return m_cchRows * sizeof(wchar_t); }
    // The records in row order: record i belongs to row i.
    std::vector<std::unique_ptr<CContact>> TakeRecords();

private:
    void ResetPending();
    void AddRow();
    void RowChanged();
    void Commit();

    CWideTextPool& m_text;
    bool m_bPending = false;
    bool m_bListed = false;
    // The pending record no longer reads as its row.
    bool m_bRowChanged = false;
    CBstr m_bstrId;
    CBstr m_bstrName;
    CBstr m_bstrNumber;
    CBstr m_bstrFirstName;
    CBstr m_bstrLastName;
    CBstr m_bstrRow;
    std::vector<std::unique_ptr<CContact>> m_records;
    // Rows whose record changed after its row was made, by row, ascending.
    std::vector<std::pair<size_t, LPCWSTR>> m_frozenRows;
    size_t m_cchRows = 0;
};
