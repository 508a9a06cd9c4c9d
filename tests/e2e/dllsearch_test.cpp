#include "consolesession.h"

#include <algorithm>

// A DLL placed beside the program, or in the folder it is started from (a
// Downloads folder), must never run: every DLL that Windows does not pin as a
// KnownDLL comes from System32. A marker DLL under each such name leaves a
// trace if it is loaded. Wine would take its own copy of a system DLL first;
// an override for the program (which Wine reads from the registry; Windows
// ignores it) makes it search for one as Windows does.
namespace {

// What the program loads when it runs, and what those import on Windows or
// under Wine, none of them a KnownDLL. Not comctl32 and what it loads, which
// come through the manifest, nor what Wine's own DLLs import (version, zlib1)
// or delay-load (secur32, uxtheme): Wine looks for those beside the program,
// where Windows takes them with the KnownDLL that imports them, or from the
// process's search path.
const wchar_t* const kPlantedNames[] = {L"wininet", L"crypt32", L"iertutil", L"mpr", L"bcrypt"};

std::wstring WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return L"Z:" + Widen(path);
}

const wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\orvexapp.exe\\DllOverrides";

class DllSearchTest : public ConsoleSession {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\orvexapp.exe"); }
};

TEST_F(DllSearchTest, NoDllBesideTheProgramOrInItsFolderIsLoaded)
{
    UseAccount({{"1", "Ann", std::nullopt, "0777"}});
    const std::wstring dir = MakeTempDirectory();
    const std::wstring program = dir + L"\\orvexapp.exe";
    ASSERT_TRUE(::CopyFileW(ProgramUnderTest().c_str(), program.c_str(), FALSE));
    const std::wstring marker = WindowsPath(IsProgramUnderTest32Bit() ? QB_MARKER_DLL_X86 : QB_MARKER_DLL_X64);
    for (const wchar_t* pszName : kPlantedNames) {
        ASSERT_TRUE(::CopyFileW(marker.c_str(), (dir + L"\\" + pszName + L".dll").c_str(), FALSE));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, pszName, REG_SZ, L"native,builtin", 30),
                  ERROR_SUCCESS);
    }

    m_app.UseProgram(program);
    ASSERT_TRUE(m_app.Start(L"", dir));
    HWND hConsole = SignIn(m_app.WaitForWindow(kLoginCaption));
    EXPECT_NE(hConsole, nullptr) << "the program starts and signs in";
    m_app.Terminate();
    for (const wchar_t* pszName : kPlantedNames) {
        const std::wstring dll = dir + L"\\" + pszName + L".dll";
        EXPECT_EQ(::GetFileAttributesW((dll + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(pszName);
        ::DeleteFileW((dll + L".loaded").c_str());
        ::DeleteFileW(dll.c_str());
    }
    ::DeleteFileW(program.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

}  // namespace
