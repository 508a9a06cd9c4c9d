#include "ui/console/contactcollector.h"

#include <algorithm>
#include <cstring>

namespace {

std::wstring ComposeRow(LPCWSTR pszName, LPCWSTR pszNumber)
{
    std::wstring row(pszName);
    row += L" (";
    row += pszNumber;
    row += L")";
    return row;
}

}  // namespace

void CContactCollector::Clear()
{
    ResetPending();
    m_bPending = false;
    m_records.clear();
    m_frozenRows.clear();
    m_cchRows = 0;
}

void CContactCollector::OnNode()
{
    Finish();
    m_bPending = true;
}

void CContactCollector::OnElement(const char* pszName, const char* pszValue)
{
    if (!m_bPending) {
        return;
    }
    if (std::strcmp(pszName, "id") == 0) {
        m_bstrId = CBstr::FromAnsi(pszValue);
    } else if (std::strcmp(pszName, "fn") == 0) {
        m_bstrName = CBstr::FromAnsi(pszValue);
        m_bstrFirstName = m_bstrName;
        m_bstrLastName.Empty();
        RowChanged();
    } else if (std::strcmp(pszName, "ln") == 0) {
        m_bstrName += L" ";
        m_bstrName += CBstr::FromAnsi(pszValue);
        // The last name is what follows the first name in the display name.
        {
            const UINT cchFirst = m_bstrFirstName.Length() + 1;
            m_bstrLastName = CBstr(m_bstrName.c_str() + cchFirst, m_bstrName.Length() - cchFirst);
        }
        RowChanged();
    } else if (std::strcmp(pszName, "cn") == 0) {
        m_bstrNumber = CBstr::FromAnsi(pszValue);
        // A second "cn": the listed record takes the new number and a copy of
        // it, listed under a row of its own, stays pending.
        if (m_bListed) {
            RowChanged();
            Commit();
        }
        AddRow();
    }
}

void CContactCollector::Finish()
{
    if (m_bListed) {
        Commit();
    }
    ResetPending();
    m_bPending = false;
}

std::wstring CContactCollector::RowText(size_t nRow) const
{
    auto it = std::lower_bound(m_frozenRows.begin(), m_frozenRows.end(), nRow,
                               [](const std::pair<size_t, LPCWSTR>& row, size_t n) { return row.first < n; });
    if (it != m_frozenRows.end() && it->first == nRow) {
        return it->second;
    }
    return nRow < m_records.size() ? ComposeRow(m_records[nRow]->m_bstrName, m_records[nRow]->m_bstrNumber)
                                   : std::wstring();
}

std::vector<std::unique_ptr<CContact>> CContactCollector::TakeRecords()
{
    std::vector<std::unique_ptr<CContact>> records = std::move(m_records);
    Clear();
    return records;
}

void CContactCollector::ResetPending()
{
    m_bstrId.Empty();
    m_bstrName.Empty();
    m_bstrNumber.Empty();
    m_bstrFirstName.Empty();
    m_bstrLastName.Empty();
    m_bstrRow.Empty();
    m_bListed = false;
    m_bRowChanged = false;
}

void CContactCollector::AddRow()
{
    m_bstrRow = m_bstrName + L" (" + m_bstrNumber + L")";
    m_bListed = true;
    m_bRowChanged = false;
}

void CContactCollector::RowChanged()
{
    m_bRowChanged = m_bListed;
}

// The record's texts are copied into the pool exactly; its row text only when
// the record no longer reads as it.
void CContactCollector::Commit()
{
    auto pRecord = std::make_unique<CContact>();
    pRecord->m_bstrId = m_text.Add(m_bstrId.c_str(), m_bstrId.Length());
    pRecord->m_bstrName = m_text.Add(m_bstrName.c_str(), m_bstrName.Length());
    pRecord->m_bstrNumber = m_text.Add(m_bstrNumber.c_str(), m_bstrNumber.Length());
    pRecord->m_bstrFirstName = m_text.Add(m_bstrFirstName.c_str(), m_bstrFirstName.Length());
    pRecord->m_bstrLastName = m_text.Add(m_bstrLastName.c_str(), m_bstrLastName.Length());
    if (m_bRowChanged) {
        m_frozenRows.emplace_back(m_records.size(), m_text.Add(m_bstrRow.c_str(), m_bstrRow.Length()));
    }
    m_cchRows += m_bstrRow.Length() + 1;
    m_records.push_back(std::move(pRecord));
}

void CContactCollector::ReserveFor(const char* pszDocument, size_t cbDocument)
{
    size_t nRows = 0;
    const char* pEnd = pszDocument + cbDocument;
    for (const char* p = pszDocument; (p = static_cast<const char*>(std::memchr(p, '<', pEnd - p))) != nullptr;
         ++p) {
        if (pEnd - p >= 3 && p[1] == 'c' && p[2] == 'n') {
            ++nRows;
        }
    }
    m_records.reserve(nRows);
}
