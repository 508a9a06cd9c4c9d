#include "ui/exchange/exchangeprogress.h"

namespace {

constexpr WORD kExchangeSteps = 4;

}  // namespace

CExchangeProgress::CExchangeProgress(HWND hWndOwner)
{
    m_dlgProgress.Create(hWndOwner);
    m_dlgProgress.ShowNow();
    m_dlgProgress.SetRange(kExchangeSteps);
    m_dlgProgress.SetStatusText(CBstr(L"Connecting to Server..."));
    m_waitCursor.emplace();
}

CExchangeProgress::~CExchangeProgress()
{
    m_dlgProgress.Close();
    m_waitCursor.reset();
}
