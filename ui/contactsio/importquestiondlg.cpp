#include "ui/contactsio/importquestiondlg.h"

#include "resource.h"
#include "ui/dialogs/smallicon.h"

namespace {

// The longest calling code has three digits; a fourth is room for a typo to show.
constexpr int kMaxCountryCodeChars = 4;

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

std::wstring CountsText(const ImportPlan& plan)
{
    const size_t nFound = plan.toAdd.size() + plan.skipped.size();
    std::wstring text = L"The file holds " + std::to_wstring(nFound) + L" contacts: " +
                        std::to_wstring(plan.toAdd.size()) + L" will be added and " +
                        std::to_wstring(plan.skipped.size()) + L" skipped.";
    text += plan.toAdd.empty() ? L"\n\nThere is nothing to add." : L"\n\nAdd them now, one at a time?";
    return text;
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

CImportQuestionDlg::CImportQuestionDlg(const std::vector<RawContact>& contacts,
                                       const std::vector<std::u16string>& existingNumbers,
                                       const std::u16string& countryCode)
    : CDialogImpl<CImportQuestionDlg>(IDD_IMPORTQUESTION),
      m_contacts(contacts),
      m_existingNumbers(existingNumbers),
      m_countryCode(countryCode)
{
}

const CImportQuestionDlg::MessageMapEntry* CImportQuestionDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CImportQuestionDlg::OnInitDialog),
        OnCommand(IDC_COUNTRY_CODE, EN_CHANGE, &CImportQuestionDlg::OnCountryCodeChange),
        OnCommand(IDYES, &CImportQuestionDlg::OnYes),
        OnCommand(IDNO, &CImportQuestionDlg::OnNo),
        OnCommand(IDCANCEL, &CImportQuestionDlg::OnNo),
        EndOfMap(),
    };
    return kMap;
}

INT_PTR CImportQuestionDlg::OnInitDialog(WPARAM, LPARAM)
{
    SetSmallIcon(g_hSmallIcon.Get());
    LimitItemText(IDC_COUNTRY_CODE, kMaxCountryCodeChars);
    SetItemText(IDC_COUNTRY_CODE, reinterpret_cast<LPCWSTR>(m_countryCode.c_str()));
    Replan();
    return TRUE;
}

INT_PTR CImportQuestionDlg::OnCountryCodeChange(WPARAM, LPARAM)
{
    wchar_t szCode[kMaxCountryCodeChars + 1] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_COUNTRY_CODE, szCode, ARRAYSIZE(szCode));
    m_countryCode = DigitsOf(szCode);
    Replan();
    return TRUE;
}

void CImportQuestionDlg::Replan()
{
    m_plan = PlanImport(m_contacts, m_existingNumbers, m_countryCode);
    SetItemText(IDC_IMPORT_COUNTS, CountsText(m_plan).c_str());
    EnableItem(IDYES, !m_plan.toAdd.empty());
}

INT_PTR CImportQuestionDlg::OnYes(WPARAM, LPARAM)
{
    if (!m_plan.toAdd.empty()) {
        EndDialog(IDYES);
    }
    return TRUE;
}

INT_PTR CImportQuestionDlg::OnNo(WPARAM, LPARAM)
{
    EndDialog(IDNO);
    return TRUE;
}
