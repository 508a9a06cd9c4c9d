#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>

#include "appdriver.h"
#include "base/handles.h"
#include "registryprobe.h"
#include "resource.h"
#include "standinclient.h"

// Installs, upgrades and removes a package with the system's installer,
// silently, in the test prefix, and reads back what a member would find: the
// x64 package, or the x86 one when the program under test is the shipped
// 32-bit build (the x86 package's program runs under WoW64, installs under the
// 32-bit Program Files and registers in the 32-bit registry view).
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
using ::testing::SizeIs;

constexpr DWORD kInstallTimeoutMs = 300000;
const wchar_t kProductName[] = L"Quillbay Console";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kAppIdKey[] = L"AppID\\{6049E393-4FD6-468F-A151-D7FAD4340A19}";
const wchar_t kTypeLibKey[] = L"TypeLib\\{13E7764E-6A1D-415C-9104-88702FC9163A}\\1.0\\0\\";
const wchar_t kPlacementKey[] = L"Software\\Velmora\\Orvex";
const wchar_t kInstallerKey[] = L"Software\\Velmora\\Orvex\\Installer";

// Wine's drive Z: is the Unix root.
std::wstring WindowsPath(const char* unixPath)
{
    std::wstring path = L"Z:" + Widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs the system's installer without any UI and returns its exit code.
std::optional<DWORD> RunMsiexec(const std::wstring& arguments)
{
    std::wstring commandLine = L"msiexec.exe " + arguments + L" /qn";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return std::nullopt;
    }
    CKernelHandle hThread(pi.hThread);
    CKernelHandle hProcess(pi.hProcess);
    DWORD exitCode = 0;
    if (::WaitForSingleObject(hProcess.Get(), kInstallTimeoutMs) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(hProcess.Get(), &exitCode)) {
        return std::nullopt;
    }
    return exitCode;
}

struct UninstallEntry {
    std::wstring productCode;  // the entry's key name
    std::wstring version;
    std::wstring publisher;
    std::wstring installLocation;
    std::wstring aboutUrl;
};

// Add/Remove Programs entries of the product, the x86 package's (in the 32-bit
// view) as well as the x64 package's.
std::vector<UninstallEntry> ProductEntries()
{
    std::vector<UninstallEntry> entries;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const std::wstring& name : registry::SubkeyNames(HKEY_LOCAL_MACHINE, kUninstallKey, view)) {
            std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
            auto value = [&](const wchar_t* valueName) {
                return registry::StringValue(HKEY_LOCAL_MACHINE, key, valueName, view);
            };
            if (value(L"DisplayName") == kProductName) {
                entries.push_back({name, value(L"DisplayVersion"), value(L"Publisher"), value(L"InstallLocation"),
                                   value(L"URLInfoAbout")});
            }
        }
    }
    return entries;
}

// True when the shipped 32-bit program runs here: it opens its sign-in window
// rather than ending at once, as it does where Wine cannot start 32-bit code.
bool CanRun32BitProgram()
{
    CAppDriver app;
    app.UseProgram(WindowsPath(QB_X86_EXE));
    if (!app.Start(L"", L"", CAppDriver::OutputMode::None)) {
        return false;
    }
    const wchar_t kSignIn[] = L"Quillbay - 1.0 - Login";
    ui::WaitFor([&] { return app.FindVisibleWindow(kSignIn) || !app.IsRunning(); });
    bool bRuns = app.FindVisibleWindow(kSignIn) != nullptr;
    app.Terminate();
    return bRuns;
}

// The icon Add/Remove Programs shows, as the installer recorded it.
std::wstring ProductIcon(const std::wstring& productCode)
{
    wchar_t path[MAX_PATH] = {};
    DWORD cch = MAX_PATH;
    if (::MsiGetProductInfoW(productCode.c_str(), L"ProductIcon", path, &cch) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return path;
}

// A per-machine install puts it in the common Programs folder; Wine uses the member's.
std::wstring FindShortcut()
{
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        std::wstring path = KnownFolder(csidl) + L"\\Quillbay Console.lnk";
        if (FileExists(path)) {
            return path;
        }
    }
    return std::wstring();
}

struct ShortcutInfo {
    std::wstring target;
    std::wstring icon;
};

std::optional<ShortcutInfo> ReadShortcut(const std::wstring& path)
{
    IShellLinkW* pLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&pLink)))) {
        return std::nullopt;
    }
    std::unique_ptr<IShellLinkW, void (*)(IShellLinkW*)> link(pLink, [](IShellLinkW* p) { p->Release(); });
    IPersistFile* pFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
        return std::nullopt;
    }
    HRESULT hr = pFile->Load(path.c_str(), STGM_READ);
    pFile->Release();
    wchar_t target[MAX_PATH] = {};
    wchar_t icon[MAX_PATH] = {};
    int nIcon = 0;
    if (FAILED(hr) || FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)) ||
        FAILED(link->GetIconLocation(icon, MAX_PATH, &nIcon))) {
        return std::nullopt;
    }
    return ShortcutInfo{target, icon};
}

class PackageLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(m_standin.Reset());
        ASSERT_THAT(ProductEntries(), SizeIs(0)) << "the product is installed already";
        // Leave the prefix as it was found: other tests register the build's own copy.
        m_bWasRegistered = registry::KeyExists(HKEY_CLASSES_ROOT, kAppIdKey, m_view);
        m_bHadPlacement = registry::KeyExists(HKEY_CURRENT_USER, kPlacementKey);
        // A first run, as after a fresh install: the console opens maximised.
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPlacementKey);
    }

    void TearDown() override
    {
        for (const UninstallEntry& entry : ProductEntries()) {
            RunMsiexec(L"/x " + entry.productCode);
        }
        if (m_bWasRegistered) {
            CAppDriver app;
            if (app.Start(L"/RegServer")) {
                app.WaitForExit();
            }
        }
        if (!m_bHadPlacement) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, kPlacementKey);
        }
        ::CoUninitialize();
    }

    // What an installed version leaves: the file, the shortcut to it, one entry
    // with the version, and the registration the program makes of itself.
    void ExpectInstalled(const std::wstring& version)
    {
        SCOPED_TRACE(Narrow(L"version " + version));
        EXPECT_TRUE(FileExists(m_installedExe)) << Narrow(m_installedExe);
        auto shortcut = ReadShortcut(FindShortcut());
        ASSERT_TRUE(shortcut) << "no shortcut in the Start menu's Programs folder";
        EXPECT_EQ(shortcut->target, m_installedExe);
        EXPECT_TRUE(FileExists(shortcut->icon)) << "shortcut icon " << Narrow(shortcut->icon);
        EXPECT_TRUE(registry::KeyExists(HKEY_CURRENT_USER, kInstallerKey)) << "the shortcut's key path";

        std::vector<UninstallEntry> entries = ProductEntries();
        ASSERT_THAT(entries, SizeIs(1));
        EXPECT_EQ(entries[0].version, version);
        EXPECT_EQ(entries[0].publisher, L"Velmora");
        EXPECT_EQ(entries[0].installLocation, m_installDir + L"\\");
        EXPECT_EQ(entries[0].aboutUrl, Widen(QB_ABOUT_URL));
        std::wstring icon = ProductIcon(entries[0].productCode);
        EXPECT_TRUE(FileExists(icon)) << "product icon " << Narrow(icon);
        std::printf("installed %s: entry %s, publisher %s, icon %s, location %s, about %s; shortcut to %s, icon %s\n",
                    Narrow(entries[0].version).c_str(), Narrow(entries[0].productCode).c_str(),
                    Narrow(entries[0].publisher).c_str(), Narrow(icon).c_str(),
                    Narrow(entries[0].installLocation).c_str(), Narrow(entries[0].aboutUrl).c_str(),
                    Narrow(shortcut->target).c_str(), Narrow(shortcut->icon).c_str());

        EXPECT_EQ(registry::StringValue(HKEY_CLASSES_ROOT, kAppIdKey, nullptr, m_view), L"orvexapp");
        EXPECT_EQ(registry::StringValue(HKEY_CLASSES_ROOT, m_typeLibPathKey, nullptr, m_view), m_installedExe);
    }

    // The installed program, started from its folder: the demo account signs
    // in and the console lists its contacts; Exit then stores the placement.
    void SignInWithInstalledProgram()
    {
        CAppDriver app;
        app.UseProgram(m_installedExe);
        ASSERT_TRUE(app.Start(L"", m_installDir, CAppDriver::OutputMode::None));
        HWND hLogin = app.WaitForWindow(L"Quillbay - 1.0 - Login");
        ASSERT_NE(hLogin, nullptr);
        ui::TypeText(hLogin, IDC_EMAIL, L"demo@quillbay.test");
        ui::TypeText(hLogin, IDC_PASSWORD, L"demo1234");
        ui::Click(hLogin, IDOK);
        HWND hConsole = app.WaitForWindow(L"Quillbay Console - 1.0", 120000);
        ASSERT_NE(hConsole, nullptr);
        app.SyncAfterExchanges(hConsole, 120000);
        std::vector<std::wstring> rows = ui::ListRows(hConsole, IDC_CONTACTS);
        EXPECT_THAT(rows, SizeIs(5));
        EXPECT_THAT(rows, ::testing::Contains(L"Alice Hartley (00447700900123)"));
        std::printf("the installed program listed %zu contacts\n", rows.size());
        ui::Click(hConsole, IDCANCEL);
        auto box = app.WaitForMessageBox();
        ASSERT_TRUE(box);
        CAppDriver::Answer(*box, IDYES);
        EXPECT_TRUE(app.WaitForExit(30000)) << "the program must end before its files are replaced";
    }

    static std::optional<DWORD> Install(const std::wstring& package) { return RunMsiexec(L"/i \"" + package + L"\""); }

    const bool m_bX86 = IsProgramUnderTest32Bit();
    const REGSAM m_view = ProgramRegistryView();
    const std::wstring m_package = WindowsPath(m_bX86 ? QB_PACKAGE_X86 : QB_PACKAGE_X64);
    const std::wstring m_newerPackage = WindowsPath(m_bX86 ? QB_NEWER_PACKAGE_X86 : QB_NEWER_PACKAGE_X64);
    const std::wstring m_installDir =
        KnownFolder(m_bX86 ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES) + L"\\Quillbay Console";
    const std::wstring m_typeLibPathKey = std::wstring(kTypeLibKey) + (m_bX86 ? L"win32" : L"win64");
    const std::wstring m_installedExe = m_installDir + L"\\orvexapp.exe";
    CStandinClient m_standin;
    bool m_bWasRegistered = false;
    bool m_bHadPlacement = false;
};

TEST_F(PackageLifecycleTest, InstallsUpgradesRefusesADowngradeAndRemovesAllButTheMembersSettings)
{
    ASSERT_THAT(RunMsiexec(L"/i \"" + m_package + L"\""), Optional(0u));
    ExpectInstalled(Widen(QB_VERSION));
    SignInWithInstalledProgram();

    ASSERT_THAT(RunMsiexec(L"/i \"" + m_newerPackage + L"\""), Optional(0u));
    ExpectInstalled(Widen(QB_NEWER_VERSION));

    // The refusal's text is in the package's LaunchCondition table, which the x86 check reads.
    EXPECT_THAT(RunMsiexec(L"/i \"" + m_package + L"\""), Optional(1603u));
    ExpectInstalled(Widen(QB_NEWER_VERSION));

    ASSERT_THAT(RunMsiexec(L"/x \"" + m_newerPackage + L"\""), Optional(0u));
    EXPECT_FALSE(FileExists(m_installedExe));
    EXPECT_FALSE(FileExists(m_installDir));
    EXPECT_EQ(FindShortcut(), L"");
    EXPECT_THAT(ProductEntries(), SizeIs(0));
    EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, kAppIdKey, m_view));
    EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, m_typeLibPathKey, m_view));
    DWORD dwMaximized = 0;
    DWORD cb = sizeof(dwMaximized);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Orvex\\Windows", L"Main Panel Maximized",
                             RRF_RT_ANY, nullptr, &dwMaximized, &cb),
              ERROR_SUCCESS)
        << "the member's stored window placement must stay";
    EXPECT_EQ(dwMaximized, 1u);
    EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, kInstallerKey));
}

TEST_F(PackageLifecycleTest, TheSameVersionAgainRepairsAndARebuildOfItReplacesIt)
{
    const std::wstring version = Widen(QB_VERSION);
    ASSERT_THAT(Install(m_package), Optional(0u));
    ASSERT_THAT(ProductEntries(), SizeIs(1));
    const std::wstring firstProduct = ProductEntries()[0].productCode;

    // Damaged: the program and its registration gone. The same package puts both back.
    ASSERT_TRUE(::DeleteFileW(m_installedExe.c_str()));
    HKEY hClasses = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS | m_view, &hClasses), ERROR_SUCCESS);
    LSTATUS deleted = ::RegDeleteTreeW(hClasses, kAppIdKey);
    ::RegCloseKey(hClasses);
    ASSERT_EQ(deleted, ERROR_SUCCESS);
    EXPECT_THAT(Install(m_package), Optional(0u));
    ExpectInstalled(version);

    // A package built again with the same version is a product of its own, which replaces the first.
    EXPECT_THAT(Install(WindowsPath(m_bX86 ? QB_REBUILT_PACKAGE_X86 : QB_REBUILT_PACKAGE_X64)), Optional(0u));
    ExpectInstalled(version);
    ASSERT_THAT(ProductEntries(), SizeIs(1));
    EXPECT_NE(ProductEntries()[0].productCode, firstProduct);
}

// One product per machine: either architecture's package replaces the other's of the same version.
TEST_F(PackageLifecycleTest, ReplacesTheOtherArchitecturesPackageOfTheSameVersion)
{
    if (!m_bX86 && !CanRun32BitProgram()) {
        GTEST_SKIP() << "this Wine cannot run the 32-bit program";
    }
    const bool bOtherX86 = !m_bX86;
    const std::wstring otherDir =
        KnownFolder(bOtherX86 ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES) + L"\\Quillbay Console";
    const std::wstring otherTypeLibKey = std::wstring(kTypeLibKey) + (bOtherX86 ? L"win32" : L"win64");
    const REGSAM otherView = bOtherX86 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    ASSERT_THAT(Install(WindowsPath(bOtherX86 ? QB_PACKAGE_X86 : QB_PACKAGE_X64)), Optional(0u));
    ASSERT_THAT(ProductEntries(), SizeIs(1));
    EXPECT_EQ(ProductEntries()[0].installLocation, otherDir + L"\\");
    EXPECT_EQ(registry::StringValue(HKEY_CLASSES_ROOT, otherTypeLibKey, nullptr, otherView),
              otherDir + L"\\orvexapp.exe");

    ASSERT_THAT(Install(m_package), Optional(0u));
    ExpectInstalled(Widen(QB_VERSION));
    EXPECT_FALSE(FileExists(otherDir));
    EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, otherTypeLibKey, otherView))
        << "the removed program is still registered";
}

}  // namespace
