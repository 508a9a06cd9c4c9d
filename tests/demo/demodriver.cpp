// Signs in to the console with the stand-in's demo account and leaves it open,
// for the demo on a display nobody watches.
#include <cstdio>

#include "appdriver.h"
#include "resource.h"

int main()
{
    CAppDriver app;
    if (!app.Start()) {
        std::puts("could not start orvexapp.exe");
        return 1;
    }
    HWND hLogin = app.WaitForWindow(L"Quillbay - 1.0 - Login");
    if (!hLogin) {
        std::puts("the sign-in dialog did not open");
        return 1;
    }
    ui::TypeText(hLogin, IDC_EMAIL, L"demo@quillbay.test");
    ui::TypeText(hLogin, IDC_PASSWORD, L"demo1234");
    ui::Click(hLogin, IDOK);
    if (!app.WaitForWindow(L"Quillbay Console - 1.0")) {
        std::puts("the console did not open");
        return 1;
    }
    app.Detach();
    std::puts("console open");
    return 0;
}
