#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "appdriver.h"
#include "registryprobe.h"

namespace {

const wchar_t kAppIdKey[] = L"AppID\\{6049E393-4FD6-468F-A151-D7FAD4340A19}";
const wchar_t kExeKey[] = L"AppID\\orvexapp.EXE";
const wchar_t kTypeLibKey[] = L"TypeLib\\{13E7764E-6A1D-415C-9104-88702FC9163A}";

// The keys as the program under test wrote them, in its own registry view.
bool KeyExists(const wchar_t* path) { return registry::KeyExists(HKEY_CLASSES_ROOT, path, ProgramRegistryView()); }

std::wstring StringValue(const wchar_t* path, const wchar_t* name)
{
    return registry::StringValue(HKEY_CLASSES_ROOT, path, name, ProgramRegistryView());
}

// Runs the program with a switch and returns its exit code; it must never show a window.
std::optional<DWORD> RunWithSwitch(const std::wstring& arguments, bool& bShowedWindow)
{
    CAppDriver app;
    if (!app.Start(arguments)) {
        return std::nullopt;
    }
    bShowedWindow = false;
    while (app.IsRunning()) {
        bShowedWindow = bShowedWindow || !app.VisibleWindows().empty();
        ::Sleep(10);
    }
    return app.WaitForExit(0);
}

class RegistrationTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void TearDown() override
    {
        bool bShowedWindow = false;
        RunWithSwitch(L"/UnregServer", bShowedWindow);
    }
};

TEST_P(RegistrationTest, RegistersTheScriptKeysAndTheTypeLibraryWithoutAWindow)
{
    bool bShowedWindow = true;
    EXPECT_THAT(RunWithSwitch(GetParam(), bShowedWindow), ::testing::Optional(0u));
    EXPECT_FALSE(bShowedWindow);

    EXPECT_EQ(StringValue(kAppIdKey, nullptr), L"orvexapp");
    EXPECT_EQ(StringValue(kExeKey, L"AppID"), L"{6049E393-4FD6-468F-A151-D7FAD4340A19}");
    std::wstring typeLibKey = std::wstring(kTypeLibKey) + L"\\1.0";
    EXPECT_EQ(StringValue(typeLibKey.c_str(), nullptr), L"orvexapp 1.0 Type Library");
    const wchar_t* platform = IsProgramUnderTest32Bit() ? L"\\0\\win32" : L"\\0\\win64";
    std::wstring path = StringValue((typeLibKey + platform).c_str(), nullptr);
    EXPECT_THAT(path, ::testing::EndsWith(L"\\orvexapp.exe"));
}

std::string SwitchName(const ::testing::TestParamInfo<const wchar_t*>& info)
{
    const char* names[] = {"SlashRegServer", "DashLowerCase", "SlashUpperCase"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(AnyPrefixAndCase, RegistrationTest,
                         ::testing::Values(L"/RegServer", L"-regserver", L"/REGSERVER"), SwitchName);

TEST(UnregistrationTest, RemovesBothSubkeysAndTheTypeLibraryButKeepsAppId)
{
    bool bShowedWindow = true;
    ASSERT_THAT(RunWithSwitch(L"/RegServer", bShowedWindow), ::testing::Optional(0u));
    ASSERT_TRUE(KeyExists(kAppIdKey));

    EXPECT_THAT(RunWithSwitch(L"/UnregServer", bShowedWindow), ::testing::Optional(0u));
    EXPECT_FALSE(bShowedWindow);
    EXPECT_FALSE(KeyExists(kAppIdKey));
    EXPECT_FALSE(KeyExists(kExeKey));
    EXPECT_FALSE(KeyExists(kTypeLibKey));
    EXPECT_TRUE(KeyExists(L"AppID"));
}

TEST(CommandLineTest, ASwitchFollowedByAnotherWordIsANormalRun)
{
    CAppDriver app;
    ASSERT_TRUE(app.Start(L"/RegServer extra"));
    HWND hLogin = app.WaitForWindow(L"Quillbay - 1.0 - Login");
    EXPECT_NE(hLogin, nullptr);
    EXPECT_FALSE(KeyExists(kExeKey));
}

}  // namespace
