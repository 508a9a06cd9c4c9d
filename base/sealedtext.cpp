#include "base/sealedtext.h"

#include <dpapi.h>

#include <cstring>

#include "base/systemlibrary.h"

namespace {

CSealedText::Cipher g_pfnProtect = nullptr;
CSealedText::Cipher g_pfnUnprotect = nullptr;

// crypt32 is no KnownDLL, so it is loaded from System32 when first needed.
CSealedText::Cipher SystemCipher(const char* pszName)
{
    static const HMODULE hCrypt32 = LoadSystemLibrary(L"crypt32.dll");
    return SystemFunction<CSealedText::Cipher>(hCrypt32, pszName);
}

CSealedText::Cipher Protect()
{
    static const CSealedText::Cipher pfnSystem = SystemCipher("CryptProtectMemory");
    return g_pfnProtect ? g_pfnProtect : pfnSystem;
}

CSealedText::Cipher Unprotect()
{
    static const CSealedText::Cipher pfnSystem = SystemCipher("CryptUnprotectMemory");
    return g_pfnUnprotect ? g_pfnUnprotect : pfnSystem;
}

// The buffer the cipher takes: whole blocks, as Windows requires (Wine does not check).
size_t SealedSize(UINT cch)
{
    const size_t cb = cch * sizeof(wchar_t);
    return (cb / CRYPTPROTECTMEMORY_BLOCK_SIZE + 1) * CRYPTPROTECTMEMORY_BLOCK_SIZE;
}

// Wipes a buffer before it is freed.
class CWipedBytes {
public:
    explicit CWipedBytes(std::vector<BYTE>& bytes) noexcept : m_bytes(bytes) {}
    ~CWipedBytes() { ::SecureZeroMemory(m_bytes.data(), m_bytes.size()); }
    CWipedBytes(const CWipedBytes&) = delete;
    CWipedBytes& operator=(const CWipedBytes&) = delete;

private:
    std::vector<BYTE>& m_bytes;
};

}  // namespace

CSealedText::CSealedText(const CBstr& bstrText) : m_cch(bstrText.Length())
{
    const Cipher pfnProtect = Protect();
    if (!pfnProtect) {
        m_cch = 0;
        return;
    }
    m_sealed.assign(SealedSize(m_cch), 0);
    std::memcpy(m_sealed.data(), bstrText.c_str(), m_cch * sizeof(wchar_t));
    if (!pfnProtect(m_sealed.data(), static_cast<DWORD>(m_sealed.size()), CRYPTPROTECTMEMORY_SAME_PROCESS)) {
        ::SecureZeroMemory(m_sealed.data(), m_sealed.size());
        m_sealed.clear();
        m_cch = 0;
    }
}

CSealedText::~CSealedText() { ::SecureZeroMemory(m_sealed.data(), m_sealed.size()); }

CBstr CSealedText::Unseal() const
{
    const Cipher pfnUnprotect = Unprotect();
    if (m_sealed.empty() || !pfnUnprotect) {
        return CBstr();
    }
    std::vector<BYTE> plain(m_sealed);
    CWipedBytes wipe(plain);
    if (!pfnUnprotect(plain.data(), static_cast<DWORD>(plain.size()), CRYPTPROTECTMEMORY_SAME_PROCESS)) {
        return CBstr();
    }
    return CBstr(reinterpret_cast<const wchar_t*>(plain.data()), m_cch);
}

void CSealedText::UseCipher(Cipher pfnProtect, Cipher pfnUnprotect)
{
    g_pfnProtect = pfnProtect;
    g_pfnUnprotect = pfnUnprotect;
}
