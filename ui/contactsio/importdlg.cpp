#include "ui/contactsio/importdlg.h"

#include <commctrl.h>

#include "base/handles.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kNextContactTimer = 1;

CBstr ToBstr(const std::u16string& text)
{
    return CBstr(reinterpret_cast<LPCWSTR>(text.data()), static_cast<UINT>(text.size()));
}

}  // namespace

CImportDlg::CImportDlg(const CBstr& bstrUserName, const CSealedText& password,
                       const std::vector<ImportCandidate>& contacts)
    : CDialogImpl<CImportDlg>(IDD_IMPORT),
      m_bstrUserName(bstrUserName),
      m_password(password),
      m_contacts(contacts),
      m_hStop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CImportDlg::~CImportDlg() = default;

const CImportDlg::MessageMapEntry* CImportDlg::GetMessageMap() const
{
    static const MessageMapEntry kMap[] = {
        OnMessage(WM_INITDIALOG, &CImportDlg::OnInitDialog),
        OnMessage(WM_TIMER, &CImportDlg::OnTimer),
        OnCommand(IDCANCEL, &CImportDlg::OnStop),
        EndOfMap(),
    };
    return kMap;
}

// Stop, Escape and Alt+S act during a contact's exchange too; the window has no close box.
bool CImportDlg::TakesDuringWait(UINT uMsg, WPARAM wParam) const
{
    return (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || uMsg == WM_SETCURSOR;
}

INT_PTR CImportDlg::OnInitDialog(WPARAM, LPARAM)
{
    m_exchange.emplace(m_hWnd, nullptr);
    m_exchange->SetCancelEvent(m_hStop.Get());
    ::SendDlgItemMessageW(m_hWnd, IDC_IMPORT_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(m_contacts.size()));
    ScheduleNext();
    return TRUE;
}

void CImportDlg::ScheduleNext()
{
    ::SetTimer(m_hWnd, kNextContactTimer, USER_TIMER_MINIMUM, nullptr);
}

INT_PTR CImportDlg::OnTimer(WPARAM wParam, LPARAM)
{
    if (wParam != kNextContactTimer) {
        return FALSE;
    }
    ::KillTimer(m_hWnd, kNextContactTimer);
    AddNext();
    return TRUE;
}

// During an exchange the handler runs inside its wait: the exchange ends
// when this returns, and the import with it.
INT_PTR CImportDlg::OnStop(WPARAM, LPARAM)
{
    if (m_bSending) {
        ::SetEvent(m_hStop.Get());
        return TRUE;
    }
    ::KillTimer(m_hWnd, kNextContactTimer);
    End(ImportStop::Stopped);
    return TRUE;
}

bool CImportDlg::IsStopping() const { return ::WaitForSingleObject(m_hStop.Get(), 0) == WAIT_OBJECT_0; }

void CImportDlg::AddNext()
{
    if (m_nNext >= m_contacts.size()) {
        End(ImportStop::None);
        return;
    }
    if (!m_bOpened) {
        if (!m_exchange->Open()) {
            End(ImportStop::Failed);
            return;
        }
        m_bOpened = true;
    }
    ShowProgress();
    if (!AddOne(m_contacts[m_nNext])) {
        return;
    }
    ++m_nNext;
    if (IsStopping()) {
        End(ImportStop::Stopped);
    } else {
        ScheduleNext();
    }
}

void CImportDlg::ShowProgress()
{
    const std::wstring status = L"Adding contact " + std::to_wstring(m_nNext + 1) + L" of " +
                                std::to_wstring(m_contacts.size()) + L"...";
    SetItemText(IDC_IMPORT_STATUS, status.c_str());
    ::SendDlgItemMessageW(m_hWnd, IDC_IMPORT_BAR, PBM_SETPOS, m_nNext, 0);
    // The exchange holds the thread: the status and the bar are painted now.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine shows fresh paint once the thread looks at its queue; this look runs no message.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

// False when the import ends with this contact.
bool CImportDlg::AddOne(const ImportCandidate& contact)
{
    FormFields info;
    SetCommonFields(info, ServiceCommand::AddContact, m_bstrUserName, m_password);
    info.SetField(L"fn", ToBstr(contact.firstName));
    info.SetField(L"ln", ToBstr(contact.lastName));
    info.SetField(L"cn", ToBstr(contact.number));
    CommandResponse response;
    CWaitCursor waitCursor;
    m_bSending = true;
    const bool bAnswered = m_exchange->Send(ServiceCommand::AddContact, info, nullptr, response);
    m_bSending = false;
    const CommandAnswer answer =
        bAnswered && !response.IsNull() ? ClassifyAnswer(ServiceCommand::AddContact, response.Text())
                                        : CommandAnswer::Unmatched;
    switch (answer) {
    case CommandAnswer::Ok:
        ++m_outcome.nAdded;
        return true;
    case CommandAnswer::NoFirstName:
    case CommandAnswer::NoContactNumber:
    case CommandAnswer::InvalidNumber:
        m_outcome.refused.push_back({contact.nLine, CandidateName(contact), answer});
        return true;
    case CommandAnswer::LoginFailed:
        End(ImportStop::LoginFailed);
        return false;
    case CommandAnswer::UpdateRequired:
        End(ImportStop::UpdateRequired);
        return false;
    default:
        // Nothing tells whether the service acted on this one, unless its request never left.
        m_outcome.unanswered = UnansweredContact{contact, m_exchange->LastEnd() != ExchangeEnd::Failed};
        End(bAnswered || !IsStopping() ? ImportStop::Failed : ImportStop::Stopped);
        return false;
    }
}

// The contact being sent when the import ends is named on its own, not counted as not sent.
void CImportDlg::End(ImportStop stop)
{
    m_outcome.stop = stop;
    const bool bEndedOnOne =
        m_outcome.unanswered || stop == ImportStop::LoginFailed || stop == ImportStop::UpdateRequired;
    const size_t nSent = m_nNext + (bEndedOnOne ? 1 : 0);
    const size_t nHandled = m_bOpened ? nSent : 0;
    m_outcome.nNotSent = m_contacts.size() > nHandled ? m_contacts.size() - nHandled : 0;
    EndDialog(IDOK);
}
