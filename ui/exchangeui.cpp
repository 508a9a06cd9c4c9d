#include "ui/exchangeui.h"

#include "net/servicehost.h"

namespace {

constexpr WORD kExchangeSteps = 4;

}  // namespace

std::string UpdateRequiredText()
{
    return std::string("A Critical Update is required. Please visit ") + kServiceHost + " to obtain the new version.";
}

void StartExchangeProgress(CInternetAccessProgress& dlgProgress, HWND hWndOwner)
{
    dlgProgress.Create(hWndOwner);
    dlgProgress.ShowNow();
    dlgProgress.SetRange(kExchangeSteps);
    dlgProgress.SetStatusText(CBstr(L"Connecting to Server..."));
}
