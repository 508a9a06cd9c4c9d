#pragma once

#include <string>
#include <vector>

#include "addressbook/importplan.h"
#include "base/dialogbase.h"

// Asks, before anything is sent, whether to add the contacts the file gives,
// with how many will be added and how many skipped, and the country calling
// code that national numbers take. The counts follow the code as it changes.
class CImportQuestionDlg : public CDialogImpl<CImportQuestionDlg> {
public:
    CImportQuestionDlg(const std::vector<RawContact>& contacts, const std::vector<std::u16string>& existingNumbers,
                       const std::u16string& countryCode);

    // IDYES to add them; the plan for the code the member left in the box.
    const ImportPlan& Plan() const { return m_plan; }

protected:
    const MessageMapEntry* GetMessageMap() const override;

private:
    INT_PTR OnInitDialog(WPARAM wParam, LPARAM lParam);
    INT_PTR OnCountryCodeChange(WPARAM wParam, LPARAM lParam);
    INT_PTR OnYes(WPARAM wParam, LPARAM lParam);
    INT_PTR OnNo(WPARAM wParam, LPARAM lParam);

    void Replan();

    const std::vector<RawContact>& m_contacts;
    const std::vector<std::u16string>& m_existingNumbers;
    std::u16string m_countryCode;
    ImportPlan m_plan;
};

// The calling code of the country of the member's regional format, digits
// only; empty where Windows cannot tell.
std::u16string ProposedCountryCode();
