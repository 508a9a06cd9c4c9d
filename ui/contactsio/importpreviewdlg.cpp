#include "ui/contactsio/importpreviewdlg.h"

#include <utility>

#include "base/handles.h"
#include "resource.h"
#include "ui/contactsio/addressbookfile.h"
#include "ui/contactsio/importpreviewtexts.h"
#include "ui/dialogs/smallicon.h"

namespace {

// The longest calling code has three digits; a fourth is room for a typo to show.
constexpr int kMaxCountryCodeChars = 4;

constexpr CPreviewList::Column kAddedListColumns[] = {
    {L"First Name", 65}, {L"Last Name", 65}, {L"Number", 72}, {L"Note", 95}};
constexpr CPreviewList::Column kSkippedListColumns[] = {{L"Line", 28}, {L"Name", 130}, {L"Reason", 140}};

constexpr int kColumnChoices[] = {IDC_FIRST_COLUMN, IDC_LAST_COLUMN, IDC_NUMBER_COLUMN};
constexpr int kColumnChoiceControls[] = {IDC_COLUMNS_GROUP,     IDC_FIRST_COLUMN_LABEL, IDC_FIRST_COLUMN,
                                         IDC_LAST_COLUMN_LABEL, IDC_LAST_COLUMN,        IDC_NUMBER_COLUMN_LABEL,
                                         IDC_NUMBER_COLUMN};

using namespace anchor;

// The list of contacts to add takes what the dialog grows by in height.
constexpr ControlAnchor kPreviewAnchors[] = {
    {IDC_COLUMNS_GROUP, kWider},
    {IDC_TO_ADD, kWider | kTaller},
    {IDC_SKIPPED_LABEL, kDown},
    {IDC_SKIPPED, kWider | kDown},
    {IDC_IMPORT_COUNTS, kWider | kDown},
    {IDOK, kRight | kDown},
    {IDCANCEL, kRight | kDown},
};

std::u16string DigitsOf(LPCWSTR pszText)
{
    std::u16string digits;
    for (LPCWSTR p = pszText; *p; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            digits += static_cast<char16_t>(*p);
        }
    }
    return digits;
}

RECT ItemRect(HWND hDlg, int nId)
{
    RECT rc = {};
    ::GetWindowRect(::GetDlgItem(hDlg, nId), &rc);
    ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Moves the control's top edge up by dy; its bottom edge too unless bStretch.
void MoveItemUp(HWND hDlg, int nId, int dy, bool bStretch)
{
    const RECT rc = ItemRect(hDlg, nId);
    ::SetWindowPos(::GetDlgItem(hDlg, nId), nullptr, rc.left, rc.top - dy, rc.right - rc.left,
                   rc.bottom - rc.top + (bStretch ? dy : 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::u16string ProposedCountryCode()
{
    wchar_t szCode[16] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, szCode, ARRAYSIZE(szCode)) <= 0) {
        return std::u16string();
    }
    std::u16string code = DigitsOf(szCode);
    return code == u"0" ? std::u16string() : code;
}

CImportPreviewDlg::CImportPreviewDlg(IByteSource& source, ReadResult reading,
                                     const std::vector<std::u16string>& existingNumbers,
                                     const std::u16string& countryCode, LPCWSTR pszSource)
    : CDialogImpl<CImportPreviewDlg>(IDD_IMPORTPREVIEW),
      m_source(source),
      m_reading(std::move(reading)),
      m_existingNumbers(existingNumbers),
      m_countryCode(countryCode),
      m_pszSource(pszSource),
      m_columns(m_reading.columns)
{
    // Once the member chooses its columns, that record is read as a header.
    if (m_reading.error == ReadError::UnknownColumns) {
        m_reading.bHeader = true;
    }
}

const CImportPreviewDlg::MessageMapEntry* CImportPreviewDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CImportPreviewDlg::OnInitDialog),
        OnMessage(WM_NOTIFY, &CImportPreviewDlg::OnNotify),
        OnCommand(IDC_COUNTRY_CODE, EN_CHANGE, &CImportPreviewDlg::OnCountryCodeChange),
        OnCommand(IDC_FIRST_COLUMN, CBN_SELCHANGE, &CImportPreviewDlg::OnColumnChange),
        OnCommand(IDC_LAST_COLUMN, CBN_SELCHANGE, &CImportPreviewDlg::OnColumnChange),
        OnCommand(IDC_NUMBER_COLUMN, CBN_SELCHANGE, &CImportPreviewDlg::OnColumnChange),
        OnCommand(IDOK, &CImportPreviewDlg::OnAdd),
        OnCommand(IDCANCEL, &CImportPreviewDlg::OnCancel),
        OnMessage(WM_SIZE, &CImportPreviewDlg::OnSize),
        OnMessage(WM_GETMINMAXINFO, &CImportPreviewDlg::OnGetMinMaxInfo),
        OnMessage(WM_DPICHANGED, &CImportPreviewDlg::OnDpiChanged),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CImportPreviewDlg::OnInitDialog(WPARAM, LPARAM)
{
    SetSmallIcon(g_hSmallIcon.Get());
    m_added.Attach(m_hWnd, IDC_TO_ADD, kAddedListColumns);
    m_skipped.Attach(m_hWnd, IDC_SKIPPED, kSkippedListColumns);
    if (m_reading.format == AddressBookFormat::Csv) {
        ShowColumnChoices();
    } else {
        HideColumnChoices();
    }
    m_layout.Init(m_hWnd, kPreviewAnchors);
    LimitItemText(IDC_COUNTRY_CODE, kMaxCountryCodeChars);
    SetItemText(IDC_COUNTRY_CODE, reinterpret_cast<LPCWSTR>(m_countryCode.c_str()));
    m_bReady = true;
    Replan();
    return TRUE;
}

// Every column of the first record, after "(none)".
void CImportPreviewDlg::ShowColumnChoices()
{
    const size_t chosen[] = {m_columns.nFirst, m_columns.nLast, m_columns.nNumber};
    for (size_t i = 0; i < ARRAYSIZE(kColumnChoices); ++i) {
        HWND hChoice = GetItem(kColumnChoices[i]);
        ::SendMessageW(hChoice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"(none)"));
        for (size_t nColumn = 0; nColumn < m_reading.header.size(); ++nColumn) {
            const std::wstring text = ColumnChoiceText(m_reading.header, m_reading.bHeader, nColumn);
            ::SendMessageW(hChoice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        const WPARAM nItem = chosen[i] < m_reading.header.size() ? chosen[i] + 1 : 0;
        ::SendMessageW(hChoice, CB_SETCURSEL, nItem, 0);
    }
}

// The lists take the room of the column choices.
void CImportPreviewDlg::HideColumnChoices()
{
    const int dy = ItemRect(m_hWnd, IDC_COUNTRY_LABEL).top - ItemRect(m_hWnd, IDC_COLUMNS_GROUP).top;
    for (int nId : kColumnChoiceControls) {
        ShowItem(nId, false);
        EnableItem(nId, false);
    }
    for (int nId : {IDC_COUNTRY_LABEL, IDC_COUNTRY_CODE, IDC_TO_ADD_LABEL}) {
        MoveItemUp(m_hWnd, nId, dy, false);
    }
    MoveItemUp(m_hWnd, IDC_TO_ADD, dy, true);
}

size_t CImportPreviewDlg::ChosenColumn(int nId) const
{
    const LRESULT nItem = ::SendMessageW(GetItem(nId), CB_GETCURSEL, 0, 0);
    return nItem > 0 ? static_cast<size_t>(nItem - 1) : kNoColumn;
}

INT_PTR CImportPreviewDlg::OnColumnChange(WPARAM, LPARAM)
{
    const CsvColumns chosen = {ChosenColumn(IDC_FIRST_COLUMN), ChosenColumn(IDC_LAST_COLUMN),
                               ChosenColumn(IDC_NUMBER_COLUMN)};
    if (chosen.nFirst == m_columns.nFirst && chosen.nLast == m_columns.nLast && chosen.nNumber == m_columns.nNumber) {
        return TRUE;
    }
    m_columns = chosen;
    CWaitCursor waitCursor;
    ReadResult reading;
    if (m_source.Rewind()) {
        reading = ReadAddressBook(m_source, DecodeCodePage, &m_columns);
    }
    m_reading.contacts = std::move(reading.contacts);
    Replan();
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnCountryCodeChange(WPARAM, LPARAM)
{
    if (!m_bReady) {
        return TRUE;
    }
    wchar_t szCode[kMaxCountryCodeChars + 1] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_COUNTRY_CODE, szCode, ARRAYSIZE(szCode));
    m_countryCode = DigitsOf(szCode);
    Replan();
    return TRUE;
}

void CImportPreviewDlg::Replan()
{
    CWaitCursor waitCursor;
    m_plan = PlanImport(m_reading.contacts, m_existingNumbers, m_countryCode);
    m_added.SetRowCount(m_plan.toAdd.size());
    m_skipped.SetRowCount(m_plan.skipped.size());
    // Only columns chosen for a CSV file can find no contact at all.
    const bool bNone = m_plan.toAdd.empty() && m_plan.skipped.empty();
    const std::wstring counts = bNone ? L"Choose the columns that hold the names and the numbers."
                                      : PreviewCountsText(m_plan, m_pszSource);
    SetItemText(IDC_IMPORT_COUNTS, counts.c_str());
    EnableItem(IDOK, !m_plan.toAdd.empty());
}

INT_PTR CImportPreviewDlg::OnNotify(WPARAM, LPARAM lParam)
{
    size_t nRow = 0;
    int nColumn = 0;
    if (m_added.IsTextRequest(lParam, nRow, nColumn) && nRow < m_plan.toAdd.size()) {
        CPreviewList::AnswerTextRequest(lParam, AddedCellText(m_plan.toAdd[nRow], nColumn));
    } else if (m_skipped.IsTextRequest(lParam, nRow, nColumn) && nRow < m_plan.skipped.size()) {
        CPreviewList::AnswerTextRequest(lParam, SkippedCellText(m_plan.skipped[nRow], nColumn));
    } else {
        return FALSE;
    }
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnAdd(WPARAM, LPARAM)
{
    if (!m_plan.toAdd.empty()) {
        EndDialog(IDOK);
    }
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnCancel(WPARAM, LPARAM)
{
    EndDialog(IDCANCEL);
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnSize(WPARAM, LPARAM)
{
    m_layout.Follow();
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam)
{
    m_layout.KeepMinimum(*reinterpret_cast<MINMAXINFO*>(lParam));
    return TRUE;
}

INT_PTR CImportPreviewDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const UINT dpiFrom = m_layout.Dpi();
    const UINT dpi = LOWORD(wParam);
    m_layout.ChangeDpi(dpi, *reinterpret_cast<const RECT*>(lParam));
    if (dpiFrom && dpi) {
        m_added.Rescale(dpiFrom, dpi);
        m_skipped.Rescale(dpiFrom, dpi);
    }
    return TRUE;
}
