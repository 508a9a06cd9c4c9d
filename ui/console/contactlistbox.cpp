#include "ui/console/contactlistbox.h"

std::vector<size_t> CContactListBox::SelectedRows() const
{
    const LRESULT nCount = Send(LB_GETSELCOUNT, 0, 0);
    if (nCount == LB_ERR || nCount <= 0) {
        return {};
    }
    std::vector<int> rows(static_cast<size_t>(nCount));
    const LRESULT nGot = Send(LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
    std::vector<size_t> selected;
    for (LRESULT i = 0; i < nGot; ++i) {
        selected.push_back(static_cast<size_t>(rows[static_cast<size_t>(i)]));
    }
    return selected;
}

void CContactListBox::SelectAll() const
{
    if (Send(LB_GETCOUNT, 0, 0) > 0) {
        Send(LB_SETSEL, TRUE, -1);
    }
}

void CContactListBox::DeselectAll() const
{
    if (Send(LB_GETCOUNT, 0, 0) != LB_ERR) {
        Send(LB_SETSEL, FALSE, -1);
    }
}

// Room for every row is reserved ahead and the list is drawn once at the end:
// growing and repainting it row by row costs more than the parse.
std::vector<size_t> CContactListBox::Fill(const CContactCollector& collector) const
{
    const size_t nRows = collector.RowCount();
    Send(LB_INITSTORAGE, nRows, static_cast<LPARAM>(collector.RowTextBytes()));
    Send(WM_SETREDRAW, FALSE, 0);
    std::vector<size_t> refused;
    for (size_t nRow = 0; nRow < nRows; ++nRow) {
        const std::wstring row = collector.RowText(nRow);
        if (Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str())) < 0) {
            refused.push_back(nRow);
        }
    }
    Send(WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hList, nullptr, TRUE);
    return refused;
}
