#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/regvalue.h"

namespace {

constexpr DWORD kUnwritten = 0xDEADBEEF;

// Each test works under its own key below HKCU\Software\QuillbayTests, which
// is removed before and after it.
class RegValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_keyPath = std::string("Software\\QuillbayTests\\") + info->name();
        m_wideKeyPath = std::wstring(m_keyPath.begin(), m_keyPath.end());
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str());
    }

    void TearDown() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_keyPath.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillbayTests");
    }

    bool KeyExists(const std::string& path) const
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(hKey);
        return true;
    }

    void WriteRaw(const char* pszValue, DWORD dwType, const void* pData, DWORD cb) const
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                                    nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExA(hKey, pszValue, 0, dwType, static_cast<const BYTE*>(pData), cb), ERROR_SUCCESS);
        ::RegCloseKey(hKey);
    }

    struct RawValue {
        bool bFound = false;
        DWORD dwType = REG_NONE;
        std::vector<BYTE> data;
    };

    RawValue ReadRaw(const char* pszValue) const
    {
        RawValue raw;
        BYTE buffer[1024];
        DWORD cb = sizeof(buffer);
        if (::RegGetValueA(HKEY_CURRENT_USER, m_keyPath.c_str(), pszValue, RRF_RT_ANY | RRF_NOEXPAND, &raw.dwType,
                           buffer, &cb) == ERROR_SUCCESS) {
            raw.bFound = true;
            raw.data.assign(buffer, buffer + cb);
        }
        return raw;
    }

    std::string m_keyPath;
    std::wstring m_wideKeyPath;
};

TEST_F(RegValueTest, FirstRunGivesTheDefaultOrFailsLeavingTheOutValueAlone)
{
    DWORD dwWidth = kUnwritten;
    EXPECT_TRUE(CRegValue<DWORD>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Width", 0xFFFFFFFF).Get(dwWidth));
    EXPECT_EQ(dwWidth, 0xFFFFFFFFu);

    dwWidth = kUnwritten;
    EXPECT_FALSE(CRegValue<DWORD>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Width").Get(dwWidth));
    EXPECT_EQ(dwWidth, kUnwritten);

    bool bMaximized = true;
    EXPECT_FALSE(CRegValue<bool>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Maximized").Get(bMaximized));
    EXPECT_TRUE(bMaximized);

    CBstr bstrName(L"unchanged");
    EXPECT_FALSE(CRegValue<CBstr>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Name").Get(bstrName));
    EXPECT_EQ(bstrName, L"unchanged");
    EXPECT_FALSE(KeyExists(m_keyPath)) << "reading never creates the key";

    // The key exists now, the value still does not.
    WriteRaw("Other", REG_DWORD, &dwWidth, sizeof(dwWidth));
    EXPECT_TRUE(CRegValue<bool>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Maximized", true).Get(bMaximized));
    EXPECT_TRUE(bMaximized);
    EXPECT_FALSE(CRegValue<bool>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Maximized").Get(bMaximized));
}

TEST_F(RegValueTest, BoolIsAFourByteDwordAndAnyNonZeroNumberReadsAsTrue)
{
    CRegValue<bool> maximized(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Maximized");
    ASSERT_TRUE(maximized.Set(true));
    RawValue raw = ReadRaw("Maximized");
    ASSERT_TRUE(raw.bFound);
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.data, (std::vector<BYTE>{1, 0, 0, 0}));

    ASSERT_TRUE(maximized.Set(false));
    EXPECT_EQ(ReadRaw("Maximized").data, (std::vector<BYTE>{0, 0, 0, 0}));
    bool bValue = true;
    EXPECT_TRUE(maximized.Get(bValue));
    EXPECT_FALSE(bValue);

    DWORD dwSeven = 7;
    WriteRaw("Maximized", REG_DWORD, &dwSeven, sizeof(dwSeven));
    EXPECT_TRUE(maximized.Get(bValue));
    EXPECT_TRUE(bValue);
}

TEST_F(RegValueTest, DwordRoundTripsEveryBit)
{
    CRegValue<DWORD> width(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Width", 5);
    for (DWORD dwStored : {0u, 900u, 0x80000001u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(width.Set(dwStored));
        DWORD dwRead = kUnwritten;
        EXPECT_TRUE(width.Get(dwRead));
        EXPECT_EQ(dwRead, dwStored);
    }
    RawValue raw = ReadRaw("Width");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.data.size(), 4u);
}

TEST_F(RegValueTest, DataOfAnotherTypeOrSizeReadsAsAbsent)
{
    CRegValue<DWORD> width(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Main Panel Width", 0xFFFFFFFF);
    CRegValue<DWORD> widthNoDefault(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Main Panel Width");
    CRegValue<bool> flag(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Main Panel Width");
    const WORD wShort = 900;
    const BYTE binary[4] = {0x84, 0x03, 0, 0};
    const DWORD eight[2] = {900, 0};
    struct Stored {
        DWORD dwType;
        const void* pData;
        DWORD cb;
    } cases[] = {
        {REG_SZ, "900", 4}, {REG_BINARY, binary, 4}, {REG_DWORD, &wShort, 2}, {REG_DWORD, eight, 8},
        {REG_DWORD, nullptr, 0},
    };
    for (const Stored& stored : cases) {
        WriteRaw("Main Panel Width", stored.dwType, stored.pData, stored.cb);
        DWORD dwValue = kUnwritten;
        EXPECT_TRUE(width.Get(dwValue));
        EXPECT_EQ(dwValue, 0xFFFFFFFFu) << "type " << stored.dwType << ", " << stored.cb << " bytes";
        dwValue = kUnwritten;
        EXPECT_FALSE(widthNoDefault.Get(dwValue));
        EXPECT_EQ(dwValue, kUnwritten);
        bool bValue = false;
        EXPECT_FALSE(flag.Get(bValue));
    }

    DWORD dwNumber = 42;
    WriteRaw("Name", REG_DWORD, &dwNumber, sizeof(dwNumber));
    CBstr bstrName(L"unchanged");
    EXPECT_FALSE(CRegValue<CBstr>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Name").Get(bstrName));
    EXPECT_EQ(bstrName, L"unchanged");
}

TEST_F(RegValueTest, SetCreatesTheWholeKeyPathAndReplacesAnyType)
{
    std::wstring deepPath = m_wideKeyPath + L"\\Velmora\\Orvex\\Windows";
    CRegValue<DWORD> height(HKEY_CURRENT_USER, deepPath.c_str(), L"Main Panel Height");
    ASSERT_TRUE(height.Set(600));
    EXPECT_TRUE(KeyExists(m_keyPath + "\\Velmora\\Orvex\\Windows"));

    WriteRaw("Value", REG_SZ, "text", 5);
    ASSERT_TRUE(CRegValue<DWORD>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Value").Set(3));
    EXPECT_EQ(ReadRaw("Value").dwType, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegValueTest, StringsGoThroughTheAnsiCodePageWithOneNul)
{
    CRegValue<CBstr> name(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), L"Name");
    ASSERT_TRUE(name.Set(CBstr(L"Caf\u00e9 \u20ac5")));
    RawValue raw = ReadRaw("Name");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data, (std::vector<BYTE>{'C', 'a', 'f', 0xE9, ' ', 0x80, '5', 0}));
    CBstr bstrRead;
    EXPECT_TRUE(name.Get(bstrRead));
    EXPECT_EQ(bstrRead, L"Caf\u00e9 \u20ac5");

    ASSERT_TRUE(name.Set(CBstr()));
    EXPECT_EQ(ReadRaw("Name").data, (std::vector<BYTE>{0}));
    bstrRead = CBstr(L"x");
    EXPECT_TRUE(name.Get(bstrRead));
    EXPECT_TRUE(bstrRead.IsEmpty());

    // Text ends at the first NUL, or at the end of data without one.
    WriteRaw("Name", REG_SZ, "ab\0cd", 6);
    EXPECT_TRUE(name.Get(bstrRead));
    EXPECT_EQ(bstrRead, L"ab");
    WriteRaw("Name", REG_SZ, "abc", 3);
    EXPECT_TRUE(name.Get(bstrRead));
    EXPECT_EQ(bstrRead, L"abc");
}

TEST_F(RegValueTest, NamesThatDoNotFitTheirBuffersAreRefused)
{
    std::wstring longest(255, L'v');
    std::wstring tooLong(256, L'v');
    ASSERT_TRUE(CRegValue<DWORD>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), longest.c_str()).Set(1));
    RawValue raw = ReadRaw(std::string(255, 'v').c_str());
    EXPECT_TRUE(raw.bFound) << "255 bytes and the NUL fit";

    CRegValue<DWORD> longValue(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), tooLong.c_str());
    EXPECT_FALSE(longValue.Set(2));
    DWORD dwValue = kUnwritten;
    EXPECT_FALSE(longValue.Get(dwValue));
    EXPECT_EQ(dwValue, kUnwritten);
    EXPECT_TRUE(CRegValue<DWORD>(HKEY_CURRENT_USER, m_wideKeyPath.c_str(), tooLong.c_str(), 9).Get(dwValue));
    EXPECT_EQ(dwValue, 9u) << "the default stands in";
    EXPECT_EQ(ReadRaw(std::string(255, 'v').c_str()).data, (std::vector<BYTE>{1, 0, 0, 0}))
        << "a cut-short name must not overwrite its 255-character neighbour";

    std::wstring overKey = m_wideKeyPath + L"\\" + std::wstring(300, L'k');
    EXPECT_FALSE(CRegValue<bool>(HKEY_CURRENT_USER, overKey.c_str(), L"Flag").Set(true));
    bool bFlag = false;
    EXPECT_TRUE(CRegValue<bool>(HKEY_CURRENT_USER, overKey.c_str(), L"Flag", true).Get(bFlag));
    EXPECT_TRUE(bFlag);
    EXPECT_FALSE(CRegValue<bool>(HKEY_CURRENT_USER, nullptr, L"Flag").Set(true));
}

}  // namespace
