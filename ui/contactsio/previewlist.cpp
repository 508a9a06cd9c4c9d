#include "ui/contactsio/previewlist.h"

#include <commctrl.h>

void CPreviewList::Attach(HWND hDlg, int nId, const Column* pColumns, size_t nColumns)
{
    m_hList = ::GetDlgItem(hDlg, nId);
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (size_t i = 0; i < nColumns; ++i) {
        RECT rcWidth = {0, 0, pColumns[i].nWidth, 0};
        ::MapDialogRect(hDlg, &rcWidth);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<LPWSTR>(pColumns[i].pszTitle);
        column.cx = rcWidth.right;
        Send(LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CPreviewList::SetRowCount(size_t nRows) const
{
    Send(LVM_SETITEMCOUNT, nRows, 0);
    ::InvalidateRect(m_hList, nullptr, TRUE);
}

bool CPreviewList::IsTextRequest(LPARAM lParam, size_t& nRow, int& nColumn) const
{
    const auto* pInfo = reinterpret_cast<const NMLVDISPINFOW*>(lParam);
    if (pInfo->hdr.hwndFrom != m_hList || pInfo->hdr.code != LVN_GETDISPINFOW || !(pInfo->item.mask & LVIF_TEXT) ||
        pInfo->item.iItem < 0) {
        return false;
    }
    nRow = static_cast<size_t>(pInfo->item.iItem);
    nColumn = pInfo->item.iSubItem;
    return true;
}

void CPreviewList::AnswerTextRequest(LPARAM lParam, const std::wstring& text)
{
    auto* pInfo = reinterpret_cast<NMLVDISPINFOW*>(lParam);
    if (pInfo->item.pszText && pInfo->item.cchTextMax > 0) {
        ::lstrcpynW(pInfo->item.pszText, text.c_str(), pInfo->item.cchTextMax);
    }
}

void CPreviewList::Rescale(UINT dpiFrom, UINT dpiTo) const
{
    const HWND hHeader = reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
    const int nColumns = hHeader ? static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < nColumns; ++i) {
        const int nWidth = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, i, 0));
        Send(LVM_SETCOLUMNWIDTH, i, ::MulDiv(nWidth, static_cast<int>(dpiTo), static_cast<int>(dpiFrom)));
    }
}
