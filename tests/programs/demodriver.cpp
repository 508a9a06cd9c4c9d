// Signs in to the console with the stand-in's demo account and leaves it open,
// for the demo on a display nobody watches. It returns once the screen shows
// the console with its contacts, so a screenshot taken then shows them too.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "appdriver.h"
#include "resource.h"
#include "screencapture.h"

namespace {

// True when the screen over the list's inside has dark pixels: the rows' text.
bool RowsOnScreen(HWND hConsole)
{
    HWND hList = ::GetDlgItem(hConsole, IDC_CONTACTS);
    RECT rc = {};
    std::vector<DWORD> pixels;
    if (!::GetClientRect(hList, &rc)) {
        return false;
    }
    ::MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    if (!CaptureScreen(rc, pixels)) {
        return false;
    }
    return std::any_of(pixels.begin(), pixels.end(),
                       [](DWORD c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 3 * 80; });
}

// The console has loaded its contacts (the progress window is gone), its modal
// loop has made its first show (a second sent message is handled after it),
// and the rows are painted.
bool ConsoleShown(const CAppDriver& app, HWND hConsole)
{
    bool bLoaded = ui::WaitFor([&] {
        return !ui::ListRows(hConsole, IDC_CONTACTS).empty() && !app.FindVisibleWindowWithItem(IDC_PROGRESS_BAR);
    });
    return bLoaded && ui::Sync(hConsole) && ui::Sync(hConsole) && ui::WaitFor([&] { return RowsOnScreen(hConsole); });
}

}  // namespace

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
    HWND hConsole = app.WaitForWindow(L"Quillbay Console - 1.0");
    if (!hConsole || !ConsoleShown(app, hConsole)) {
        std::puts("the console did not show its contacts");
        return 1;
    }
    app.Detach();
    std::puts("console open");
    return 0;
}
