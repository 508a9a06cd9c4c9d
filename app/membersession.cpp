#include "app/membersession.h"

#include <windows.h>

#include "base/messagewait.h"
#include "ui/console/maindlg.h"
#include "ui/dialogs/logindlg.h"
#include "ui/exchange/exchangetexts.h"
#include "ui/system/logonend.h"

namespace {

enum class PassResult { End, SignInAgain, SignInAfterFailure };

PassResult RunPass(bool bLoginFailed)
{
    CLoginDlg dlgLogin;
    dlgLogin.SetLoginFailed(bLoginFailed);
    dlgLogin.DoModal(::GetActiveWindow());
    if (dlgLogin.IsCancelled()) {
        return PassResult::End;
    }

    CMainDlg dlgMain;
    CBstr bstrUserName;
    dlgLogin.GetUserName(bstrUserName);
    dlgMain.SetUserName(bstrUserName);
    dlgMain.SetPassword(dlgLogin.GetPassword());
    dlgMain.DoModal(::GetActiveWindow());

    // An answer that came in as the session ended must not open another window.
    if (IsLogonEnding()) {
        return PassResult::End;
    }
    if (dlgMain.IsLoginFailed()) {
        return PassResult::SignInAfterFailure;
    }
    if (dlgMain.IsLogout()) {
        return PassResult::SignInAgain;
    }
    if (dlgMain.IsUpdateRequired()) {
        ::MessageBoxW(nullptr, UpdateRequiredText().c_str(), kUpdateRequiredCaption, MB_OK);
    }
    return PassResult::End;
}

}  // namespace

// Each pass starts with fresh dialog objects; a loop rather than recursion
// keeps repeated log-outs from nesting without bound.
void RunSession()
{
    CLogonEndWatch logonEndWatch;
    PassResult result = RunPass(false);
    while (result != PassResult::End) {
        result = RunPass(result == PassResult::SignInAfterFailure);
    }
}
