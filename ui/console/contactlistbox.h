#pragma once

#include <windows.h>

#include <vector>

#include "ui/console/contactcollector.h"

// The console's list of contacts (list 208): unsorted rows in the records'
// order, several selected at once. Talks to the list wide, so that the rows
// go in and come out as its own UTF-16.
class CContactListBox {
public:
    // Looked up once: under Wine every lookup of a control is a round trip
    // to the server, and the list is sent a message for every row.
    void Attach(HWND hList) noexcept { m_hList = hList; }
    HWND Hwnd() const noexcept { return m_hList; }

    // The selected rows in ascending order; empty when none is selected or
    // the list reports an error.
    std::vector<size_t> SelectedRows() const;
    bool AnySelected() const { return Send(LB_GETSELCOUNT, 0, 0) > 0; }
    void SelectAll() const;
    void DeselectAll() const;
    void Clear() const { Send(LB_RESETCONTENT, 0, 0); }
    // One row for each of the collector's records, drawn once at the end; the
    // rows the list refused, ascending.
    std::vector<size_t> Fill(const CContactCollector& collector) const;

private:
    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam) const
    {
        return ::SendMessageW(m_hList, uMsg, wParam, lParam);
    }

    HWND m_hList = nullptr;
};
