#include <gtest/gtest.h>

#include <windows.h>
#include <dpapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/sealedtext.h"

// The sealed password, with the system's cipher (Wine's does not encrypt) and
// with one that keeps the rules Windows documents and Wine does not check:
// whole blocks only, the same flag both ways, and bytes that change.
namespace {

std::vector<BYTE> g_handedToUnprotect;

BOOL WINAPI DocumentedCipher(LPVOID pData, DWORD cbData, DWORD dwFlags)
{
    if (cbData % CRYPTPROTECTMEMORY_BLOCK_SIZE != 0 || dwFlags != CRYPTPROTECTMEMORY_SAME_PROCESS) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::for_each(static_cast<BYTE*>(pData), static_cast<BYTE*>(pData) + cbData, [](BYTE& b) { b ^= 0x5A; });
    return TRUE;
}

BOOL WINAPI DocumentedUncipher(LPVOID pData, DWORD cbData, DWORD dwFlags)
{
    g_handedToUnprotect.assign(static_cast<BYTE*>(pData), static_cast<BYTE*>(pData) + cbData);
    return DocumentedCipher(pData, cbData, dwFlags);
}

BOOL WINAPI RefusingCipher(LPVOID, DWORD, DWORD)
{
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

class SealedTextTest : public ::testing::Test {
protected:
    ~SealedTextTest() override { CSealedText::UseCipher(nullptr, nullptr); }
};

TEST_F(SealedTextTest, CopiesUnsealToTheTextWhateverItsLength)
{
    for (bool bDocumented : {false, true}) {
        CSealedText::UseCipher(bDocumented ? DocumentedCipher : nullptr, bDocumented ? DocumentedUncipher : nullptr);
        for (size_t cch : {0, 1, 7, 8, 9, 50}) {
            SCOPED_TRACE(std::to_string(cch) + (bDocumented ? " documented" : " system"));
            std::wstring text;
            for (size_t i = 0; i < cch; ++i) {
                text += static_cast<wchar_t>(L'a' + i % 26);
            }
            const CSealedText sealed(CBstr(text.c_str(), static_cast<UINT>(cch)));
            const CSealedText copy(sealed);
            ASSERT_FALSE(copy.IsEmpty());
            const CBstr bstrUnsealed = copy.Unseal();
            EXPECT_EQ(std::wstring(bstrUnsealed.c_str(), bstrUnsealed.Length()), text);
            if (bDocumented && cch > 0) {
                const auto* pb = reinterpret_cast<const BYTE*>(text.data());
                EXPECT_EQ(std::search(g_handedToUnprotect.begin(), g_handedToUnprotect.end(), pb,
                                      pb + cch * sizeof(wchar_t)),
                          g_handedToUnprotect.end())
                    << "held in plain text";
            }
        }
    }
}

TEST_F(SealedTextTest, WhatTheSystemCannotSealIsNotKept)
{
    CSealedText::UseCipher(RefusingCipher, RefusingCipher);
    const CSealedText sealed(CBstr(L"secret"));
    EXPECT_TRUE(sealed.IsEmpty());
    EXPECT_TRUE(sealed.Unseal().IsEmpty());
}

}  // namespace
