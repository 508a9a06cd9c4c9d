#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// A list-view in report view whose cells the dialog gives as they are drawn
// (owner data), so that a hundred thousand rows are listed at once and no
// copy of their texts is held. Talks to the list wide.
class CPreviewList {
public:
    struct Column {
        LPCWSTR pszTitle;
        int nWidth;  // dialog units
    };

    template <size_t N>
    void Attach(HWND hDlg, int nId, const Column (&columns)[N])
    {
        Attach(hDlg, nId, columns, N);
    }
    HWND Hwnd() const { return m_hList; }

    // The rows are drawn anew from the dialog's data.
    void SetRowCount(size_t nRows) const;
    // The row and column whose text a WM_NOTIFY of this list asks for; false
    // for any other notification.
    bool IsTextRequest(LPARAM lParam, size_t& nRow, int& nColumn) const;
    static void AnswerTextRequest(LPARAM lParam, const std::wstring& text);
    // The columns keep their width in the dialog's terms at a new scale.
    void Rescale(UINT dpiFrom, UINT dpiTo) const;

private:
    void Attach(HWND hDlg, int nId, const Column* pColumns, size_t nColumns);
    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam) const
    {
        return ::SendMessageW(m_hList, uMsg, wParam, lParam);
    }

    HWND m_hList = nullptr;
};
