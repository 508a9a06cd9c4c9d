#include "consolesession.h"

// A marker DLL planted beside the program, and in the folder it starts in,
// under the name of each DLL the program loads when it runs or those import,
// leaves a trace if loaded. Not what Wine's own DLLs import or delay-load
// (version, zlib1, secur32, uxtheme): Wine looks for those there, Windows does
// not. The override (Wine's; Windows ignores it) makes Wine search as Windows.
namespace {

const wchar_t* const kPlantedNames[] = {L"wininet", L"crypt32", L"iertutil", L"mpr", L"bcrypt"};
const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\orvexapp.exe";

class DllSearchTest : public ConsoleSession {
protected:
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults); }
};

TEST_F(DllSearchTest, NoDllBesideTheProgramOrInItsFolderIsLoaded)
{
    UseAccount({{"1", "Ann", std::nullopt, "0777"}});
    const std::wstring dir = MakeTempDirectory();
    ASSERT_TRUE(::CopyFileW(ProgramUnderTest().c_str(), (dir + L"\\orvexapp.exe").c_str(), FALSE));
    const std::wstring marker = L"Z:" + Widen(IsProgramUnderTest32Bit() ? QB_MARKER_DLL_X86 : QB_MARKER_DLL_X64);
    for (const wchar_t* pszName : kPlantedNames) {
        ASSERT_TRUE(::CopyFileW(marker.c_str(), (dir + L"\\" + pszName + L".dll").c_str(), FALSE));
        ::RegSetKeyValueW(HKEY_CURRENT_USER, (kAppDefaults + std::wstring(L"\\DllOverrides")).c_str(), pszName,
                          REG_SZ, L"native,builtin", sizeof(L"native,builtin"));
    }
    m_app.UseProgram(dir + L"\\orvexapp.exe");
    ASSERT_TRUE(m_app.Start(L"", dir));
    EXPECT_NE(SignIn(m_app.WaitForWindow(kLoginCaption)), nullptr) << "the program starts and signs in";
    m_app.Terminate();
    for (const wchar_t* pszName : kPlantedNames) {
        EXPECT_EQ(::GetFileAttributesW((dir + L"\\" + pszName + L".dll.loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << Narrow(pszName);
    }
}

}  // namespace
