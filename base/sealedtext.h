#pragma once

#include <windows.h>

#include <vector>

#include "base/bstr.h"

// A secret the program must keep between uses (the member's password) held
// encrypted with the system's key for this process (CryptProtectMemory), so
// that a memory dump or the page file never shows it. Copies hold the
// encrypted bytes only. Empty when the system could not seal it.
class CSealedText {
public:
    CSealedText() = default;
    explicit CSealedText(const CBstr& bstrText);
    CSealedText(const CSealedText&) = default;
    CSealedText(CSealedText&&) noexcept = default;
    CSealedText& operator=(const CSealedText&) = default;
    CSealedText& operator=(CSealedText&&) noexcept = default;
    ~CSealedText();

    bool IsEmpty() const noexcept { return m_sealed.empty(); }
    // The text for one use; the string wipes itself when freed.
    CBstr Unseal() const;

    // For tests: the calls that encrypt and decrypt in place (null: the system's).
    using Cipher = BOOL(WINAPI*)(LPVOID pData, DWORD cbData, DWORD dwFlags);
    static void UseCipher(Cipher pfnProtect, Cipher pfnUnprotect);

private:
    std::vector<BYTE> m_sealed;  // whole cipher blocks: the text, then zeros
    UINT m_cch = 0;
};
