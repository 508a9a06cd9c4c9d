// Walks the console through each of its windows with the stand-in's demo
// account and writes what the screen shows of each as OUTDIR\<name>.ppm, for
// tools/screenshots.sh to turn into the README's pictures; then the console
// once more at 150 % display scale.
// Usage: screenshotdriver OUTDIR
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <vector>

#include "appdriver.h"
#include "base/handles.h"
#include "displayscale.h"
#include "resource.h"
#include "screencapture.h"
#include "standinclient.h"

namespace {

constexpr DWORD kExchangeTimeoutMs = 120000;
// Long enough to photograph the progress window, which shows only while the
// service has not answered.
constexpr int kSlowAnswerMs = 8000;

// The demo account's details, for the one answer the stand-in delays.
const char kDemoDetails[] =
    "<details><contacts>"
    "<contact><id>12</id><fn>Alice</fn><ln>Hartley</ln><cn>00447700900123</cn></contact>"
    "<contact><id>15</id><fn>Ben</fn><ln>Okafor</ln><cn>00447700900456</cn></contact>"
    "<contact><id>23</id><fn>Chlo\xE9</fn><ln>Marsh</ln><cn>00447700900789</cn></contact>"
    "<contact><id>40</id><fn>Daniel</fn><cn>00447700900321</cn></contact>"
    "<contact><id>57</id><fn>Elena</fn><ln>Petrova</ln><cn>00447700900654</cn></contact>"
    "</contacts><credits>25</credits></details>";

// What the screen shows inside a rectangle, as CaptureScreen gives it.
struct ScreenArea {
    RECT rc = {};
    std::vector<DWORD> pixels;
    bool operator==(const ScreenArea& other) const { return pixels == other.pixels; }
};

ScreenArea CaptureScreenArea(const RECT& rc)
{
    ScreenArea area;
    area.rc = rc;
    CaptureScreen(rc, area.pixels);
    return area;
}

// Wine shows a window's drawing on the X screen a little after it was made:
// the area counts once two captures in a row agree.
ScreenArea CaptureSettled(const RECT& rc)
{
    ScreenArea previous = CaptureScreenArea(rc);
    ScreenArea current;
    ui::WaitFor(10000, [&] {
        current = CaptureScreenArea(rc);
        bool bSettled = !current.pixels.empty() && current == previous;
        previous = current;
        return bSettled;
    });
    return current;
}

bool WritePpm(const ScreenArea& area, const std::wstring& path)
{
    int cx = area.rc.right - area.rc.left;
    int cy = area.rc.bottom - area.rc.top;
    if (area.pixels.size() != static_cast<size_t>(cx) * cy) {
        return false;
    }
    std::ofstream file(Narrow(path), std::ios::binary);
    file << "P6\n" << cx << " " << cy << "\n255\n";
    for (DWORD dwPixel : area.pixels) {
        const char rgb[3] = {static_cast<char>(dwPixel >> 16), static_cast<char>(dwPixel >> 8),
                             static_cast<char>(dwPixel)};
        file.write(rgb, 3);
    }
    return file.good();
}

bool IsPainted(HWND hWnd)
{
    if (::GetUpdateRect(hWnd, nullptr, FALSE)) {
        return false;
    }
    bool bPainted = true;
    ::EnumChildWindows(
        hWnd,
        [](HWND hChild, LPARAM lParam) {
            if (::IsWindowVisible(hChild) && ::GetUpdateRect(hChild, nullptr, FALSE)) {
                *reinterpret_cast<bool*>(lParam) = false;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&bPainted));
    return bPainted;
}

RECT WindowRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

class CScreenshots {
public:
    explicit CScreenshots(const std::wstring& outDir) : m_outDir(outDir) {}

    // The area the windows cover together, once each of them has painted
    // and the screen shows it.
    bool Shoot(const char* name, std::initializer_list<HWND> windows)
    {
        RECT rcAll = {};
        for (HWND hWnd : windows) {
            if (!ui::WaitFor(10000, [hWnd] { return IsPainted(hWnd); })) {
                std::printf("%s: a window did not finish painting\n", name);
                return false;
            }
            RECT rc = WindowRect(hWnd);
            ::UnionRect(&rcAll, &rcAll, &rc);
        }
        return Save(name, CaptureSettled(rcAll));
    }

    bool Save(const char* name, const ScreenArea& area)
    {
        bool bOk = WritePpm(area, m_outDir + L"\\" + Widen(name) + L".ppm");
        std::printf("%s: %s\n", name, bOk ? "saved" : "FAILED");
        return bOk;
    }

private:
    std::wstring m_outDir;
};

// The borderless progress window, once it shows the status. Its thread is
// inside the exchange, so the text is read without sending a message.
HWND FindProgressWindow(const CAppDriver& app, const std::wstring& status)
{
    for (HWND hWnd : app.VisibleWindows()) {
        HWND hText = ::GetDlgItem(hWnd, IDC_PROGRESS_TEXT);
        wchar_t text[64] = {};
        if (hText && ::GetDlgItem(hWnd, IDC_PROGRESS_BAR) && ::InternalGetWindowText(hText, text, 64) &&
            status == text) {
            return hWnd;
        }
    }
    return nullptr;
}

bool WaitForContacts(HWND hConsole, size_t nRows)
{
    return ui::WaitFor(kExchangeTimeoutMs, [&] { return ui::ListRows(hConsole, IDC_CONTACTS).size() == nRows; });
}

// A normal-size console, so the pictures do not show a maximised window.
void StorePlacement()
{
    CRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", 0, nullptr, 0, KEY_WRITE, nullptr,
                          key.Receive(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD values[] = {760, 520, 0};
    const wchar_t* names[] = {L"Main Panel Width", L"Main Panel Height", L"Main Panel Maximized"};
    for (int i = 0; i < 3; ++i) {
        ::RegSetValueExW(key.Get(), names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]), sizeof(DWORD));
    }
}

// Signs in, photographing the sign-in dialog when asked to.
HWND SignIn(const CAppDriver& app, CScreenshots* pShots)
{
    HWND hLogin = app.WaitForWindow(L"Quillbay - 1.0 - Login");
    if (!hLogin) {
        return nullptr;
    }
    ui::TypeText(hLogin, IDC_EMAIL, L"demo@quillbay.test");
    ui::TypeText(hLogin, IDC_PASSWORD, L"demo1234");
    ui::Sync(hLogin);
    if (pShots && !pShots->Shoot("signin", {hLogin})) {
        return nullptr;
    }
    ui::Click(hLogin, IDOK);
    HWND hConsole = app.WaitForWindow(L"Quillbay Console - 1.0", kExchangeTimeoutMs);
    return hConsole && WaitForContacts(hConsole, 5) ? hConsole : nullptr;
}

bool ShootProgress(CStandinClient& standin, const CAppDriver& app, CScreenshots& shots, HWND hConsole)
{
    StandinAnswer slow;
    slow.body = kDemoDetails;
    slow.delayMs = kSlowAnswerMs;
    if (!standin.QueueAnswer(slow)) {
        return false;
    }
    // The progress window is on screen once the screen differs from before.
    ScreenArea before = CaptureSettled(WindowRect(hConsole));
    ui::Click(hConsole, IDC_REFRESH);
    HWND hProgress = nullptr;
    ui::WaitFor(kExchangeTimeoutMs, [&] { return (hProgress = FindProgressWindow(app, L"Loading Details...")); });
    bool bOk = hProgress && ui::WaitFor(kSlowAnswerMs, [&] { return !(CaptureScreenArea(before.rc) == before); }) &&
               shots.Save("progress", CaptureSettled(before.rc));
    return bOk && app.WaitUntilWindowGone(hProgress, kExchangeTimeoutMs) && WaitForContacts(hConsole, 5);
}

// Opens a dialog from the console, fills it in, photographs it and cancels it.
bool ShootDialog(const CAppDriver& app, CScreenshots& shots, HWND hConsole, int nButton, const wchar_t* caption,
                 const char* name, std::initializer_list<std::pair<int, const wchar_t*>> fields)
{
    ui::Click(hConsole, nButton);
    HWND hDlg = app.WaitForWindow(caption);
    if (!hDlg) {
        return false;
    }
    for (const auto& field : fields) {
        ui::TypeText(hDlg, field.first, field.second);
    }
    ui::Sync(hDlg);
    bool bOk = shots.Shoot(name, {hConsole, hDlg});
    ui::Click(hDlg, IDCANCEL);
    return app.WaitUntilWindowGone(hDlg) && bOk;
}

// The member's choice on the console: two contacts and a message.
bool ComposeMessage(HWND hConsole)
{
    ui::CtrlClickListRow(hConsole, IDC_CONTACTS, 0);
    ui::CtrlClickListRow(hConsole, IDC_CONTACTS, 2);
    ui::SetText(hConsole, IDC_MESSAGE, L"");
    ui::TypeText(hConsole, IDC_MESSAGE, L"The meeting moved to 3pm. See you there!");
    return ui::WaitFor(5000, [&] { return ui::ListSelection(hConsole, IDC_CONTACTS).size() == 2; });
}

// An address book with a contact for every reason to skip one, one the service
// refuses, and three it adds.
const char kAddressBook[] =
    "First Name,Last Name,Mobile Phone,Home Phone\r\n"
    "Farah,Quinn,+44 7700 900999 / +44 7700 900998,\r\n"
    ",,00447700900777,\r\n"
    "Bartholomew-Maximilian-Alexander-Montgomery-Fitzwilliam,Smythe,00447700900776,\r\n"
    "Ivan,\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2,00447700900775,\r\n"
    "Jana,Novak,,\r\n"
    "Karl,Berg,07700 900774,\r\n"
    "Lena,Holm,0044 7700 900773 ext. 12,\r\n"
    "Alice,Hartley,0044 (0)7700 900123,\r\n"
    "Mona,Lind,12,\r\n"
    "Nils,Dahl,0044-7700-900772,\r\n"
    "Olga,Berg,00447700900771,\r\n"
    "Pia,Moss,,020 7946 0991\r\n";

HWND WaitForPopupMenu(const CAppDriver& app)
{
    HWND hMenu = nullptr;
    ui::WaitFor(10000, [&] {
        for (HWND h = ::FindWindowW(L"#32768", nullptr); h && !hMenu;
             h = ::FindWindowExW(nullptr, h, L"#32768", nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            hMenu = pid == app.ProcessId() && ::IsWindowVisible(h) ? h : nullptr;
        }
        return hMenu != nullptr;
    });
    return hMenu;
}

bool ShootContextMenu(const CAppDriver& app, CScreenshots& shots, HWND hConsole)
{
    ui::PressKey(::GetDlgItem(hConsole, IDC_CONTACTS), VK_APPS);
    HWND hMenu = WaitForPopupMenu(app);
    bool bOk = hMenu && shots.Shoot("contextmenu", {hConsole, hMenu});
    if (hMenu) {
        ::PostMessageW(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return bOk && ui::WaitFor(10000, [&] { return !::IsWindowVisible(hMenu); });
}

// Types the path into the open dialog and presses OK.
bool ChooseFile(const CAppDriver& app, const std::wstring& path)
{
    HWND hDialog = app.WaitForWindow(L"Open Address Book");
    HWND hName = hDialog ? ::GetDlgItem(hDialog, 0x047C) : nullptr;
    if (!hName) {
        return false;
    }
    ::SendMessageW(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ui::Click(hDialog, IDOK);
    return app.WaitUntilWindowGone(hDialog);
}

// The second contact's exchange is held by the service while the import
// window is photographed.
bool ShootImport(CAppDriver& app, CStandinClient& standin, CScreenshots& shots, HWND hConsole)
{
    const std::wstring path = MakeTempDirectory() + L"\\contacts.csv";
    std::ofstream(Narrow(path), std::ios::binary) << kAddressBook;
    ::PostMessageW(hConsole, WM_COMMAND, ID_CONTACTS_IMPORT, 0);
    HWND hPreview = ChooseFile(app, path) ? app.WaitForWindow(L"Import Contacts") : nullptr;
    if (!hPreview) {
        return false;
    }
    ui::SetText(hPreview, IDC_COUNTRY_CODE, L"44");
    // The focus on Add: a blinking caret would make every picture a new one.
    ::SendMessageW(hPreview, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hPreview, IDOK)), TRUE);
    if (!shots.Shoot("importpreview", {hConsole, hPreview})) {
        return false;
    }
    // Without a code, the national numbers show among the reasons too.
    ui::SetText(hPreview, IDC_COUNTRY_CODE, L"");
    standin.HoldRequest(1);
    ui::Click(hPreview, IDOK);
    HWND hImport = app.WaitForWindow(L"Importing Contacts");
    wchar_t szStatus[64] = {};
    bool bOk = hImport && ui::WaitFor(kExchangeTimeoutMs, [&] {
        return ::InternalGetWindowText(::GetDlgItem(hImport, IDC_IMPORT_STATUS), szStatus, 64) &&
               std::wstring(szStatus) == L"Adding contact 2 of 4...";
    }) && shots.Shoot("importprogress", {hConsole, hImport});
    standin.ReleaseRequest();
    auto box = app.WaitForMessageBox(kExchangeTimeoutMs);
    if (!bOk || !box || !shots.Shoot("importsummary", {hConsole, box->hWnd})) {
        return false;
    }
    std::printf("The import summary:\n%s\n", Narrow(box->text).c_str());
    CAppDriver::Answer(*box);
    return WaitForContacts(hConsole, 8);
}

bool Step(bool bOk, const char* what)
{
    if (!bOk) {
        std::printf("failed: %s\n", what);
    }
    return bOk;
}

// Answers the exit question and waits for the program to end.
bool Exit(CAppDriver& app, HWND hConsole, CScreenshots* pShots)
{
    ui::Click(hConsole, IDCANCEL);
    auto box = app.WaitForMessageBox();
    if (!Step(box.has_value(), "the exit question") ||
        (pShots && !pShots->Shoot("messagebox", {hConsole, box->hWnd}))) {
        return false;
    }
    CAppDriver::Answer(*box, IDYES);
    return Step(app.WaitForExit(30000).has_value(), "the program did not end");
}

bool Run(CAppDriver& app, CStandinClient& standin, CScreenshots& shots)
{
    HWND hConsole = SignIn(app, &shots);
    if (!Step(hConsole != nullptr, "the console did not list the demo contacts") ||
        !Step(ComposeMessage(hConsole), "selecting contacts") || !shots.Shoot("console", {hConsole}) ||
        !Step(ShootProgress(standin, app, shots, hConsole), "the progress window") ||
        // The reload cleared the selection.
        !Step(ComposeMessage(hConsole), "selecting contacts again") ||
        !Step(ShootDialog(app, shots, hConsole, IDC_SEND, L"Send Summary", "sendsummary", {}), "send summary") ||
        !Step(ShootDialog(app, shots, hConsole, IDC_ADDNEW, L"Add New Contact", "addcontact",
                          {{IDC_FIRSTNAME, L"Farah"}, {IDC_LASTNAME, L"Quinn"}, {IDC_NUMBER, L"00447700900999"}}),
              "add contact") ||
        !Step(ShootContextMenu(app, shots, hConsole), "the context menu") ||
        !Step(ShootImport(app, standin, shots, hConsole), "the import")) {
        return false;
    }
    // The exit question and the scaled console show the demo account as it was.
    if (!Step(standin.Reset(), "resetting the service")) {
        return false;
    }
    ui::Click(hConsole, IDC_REFRESH);
    return Step(WaitForContacts(hConsole, 5) && ComposeMessage(hConsole), "the demo account again") &&
           Exit(app, hConsole, &shots);
}

// The program reads the scale when it starts; once it shows a window the
// setting goes back, so nothing started later takes it.
bool RunAtScale(DWORD dpi, const char* name, CScreenshots& shots)
{
    CAppDriver app;
    {
        CDisplayScale scale(dpi);
        if (!app.Start(L"", L"", CAppDriver::OutputMode::None) ||
            !app.WaitForWindow(L"Quillbay - 1.0 - Login")) {
            return false;
        }
    }
    HWND hConsole = SignIn(app, nullptr);
    return Step(hConsole != nullptr, "the scaled console did not list the demo contacts") &&
           Step(ComposeMessage(hConsole), "selecting contacts") && shots.Shoot(name, {hConsole}) &&
           Exit(app, hConsole, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::puts("usage: screenshotdriver OUTDIR");
        return 2;
    }
    CStandinClient standin;
    if (!standin.Reset()) {
        std::puts("the stand-in service does not answer");
        return 1;
    }
    StorePlacement();
    CAppDriver app;
    CScreenshots shots(argv[1]);
    if (!app.Start(L"", L"", CAppDriver::OutputMode::None) || !Run(app, standin, shots) ||
        !RunAtScale(144, "console-150", shots)) {
        return 1;
    }
    return 0;
}
