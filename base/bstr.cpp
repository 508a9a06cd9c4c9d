#include "base/bstr.h"

#include <cstring>
#include <cwchar>
#include <utility>

namespace {

void FreeWiped(BSTR bstr) noexcept
{
    if (bstr) {
        ::SecureZeroMemory(bstr, ::SysStringByteLen(bstr));
        ::SysFreeString(bstr);
    }
}

}  // namespace

CBstr::CBstr(LPCWSTR psz) : m_bstr(psz ? ::SysAllocString(psz) : nullptr) {}

CBstr::CBstr(LPCWSTR pch, UINT cch) : m_bstr(pch && cch ? ::SysAllocStringLen(pch, cch) : nullptr) {}

CBstr::CBstr(const CBstr& other) : CBstr(other.m_bstr, other.Length()) {}

CBstr::CBstr(CBstr&& other) noexcept : m_bstr(other.Detach()) {}

CBstr& CBstr::operator=(const CBstr& other)
{
    if (this != &other) {
        CBstr copy(other);
        std::swap(m_bstr, copy.m_bstr);
    }
    return *this;
}

CBstr& CBstr::operator=(CBstr&& other) noexcept
{
    if (this != &other) {
        Attach(other.Detach());
    }
    return *this;
}

CBstr::~CBstr() { Empty(); }

CBstr CBstr::FromAnsi(const char* psz) { return psz ? FromAnsi(psz, static_cast<int>(std::strlen(psz))) : CBstr(); }

CBstr CBstr::FromAnsi(const char* pch, int cb)
{
    CBstr result;
    if (!pch || cb <= 0) {
        return result;
    }
    int cch = ::MultiByteToWideChar(CP_THREAD_ACP, 0, pch, cb, nullptr, 0);
    if (cch <= 0) {
        return result;
    }
    BSTR bstr = ::SysAllocStringLen(nullptr, static_cast<UINT>(cch));
    if (!bstr) {
        return result;
    }
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, pch, cb, bstr, cch);
    result.Attach(bstr);
    return result;
}

std::string CBstr::ToAnsi() const { return WideToAnsi(m_bstr, static_cast<int>(Length())); }

std::string WideToAnsi(LPCWSTR pch, int cch)
{
    std::string result;
    if (!pch || cch <= 0) {
        return result;
    }
    int cb = ::WideCharToMultiByte(CP_THREAD_ACP, 0, pch, cch, nullptr, 0, nullptr, nullptr);
    if (cb <= 0) {
        return result;
    }
    result.resize(static_cast<size_t>(cb));
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, pch, cch, &result[0], cb, nullptr, nullptr);
    return result;
}

bool CBstr::Append(LPCWSTR pch, UINT cch)
{
    if (!pch || cch == 0) {
        return true;
    }
    UINT cchOld = Length();
    BSTR bstr = ::SysAllocStringLen(nullptr, cchOld + cch);
    if (!bstr) {
        return false;
    }
    if (cchOld) {
        std::wmemcpy(bstr, m_bstr, cchOld);
    }
    std::wmemcpy(bstr + cchOld, pch, cch);
    Attach(bstr);
    return true;
}

bool CBstr::Append(LPCWSTR psz) { return psz ? Append(psz, static_cast<UINT>(std::wcslen(psz))) : true; }

bool CBstr::operator==(const CBstr& other) const noexcept
{
    UINT cch = Length();
    return cch == other.Length() && (cch == 0 || std::wmemcmp(m_bstr, other.m_bstr, cch) == 0);
}

bool CBstr::operator==(LPCWSTR psz) const noexcept
{
    UINT cch = psz ? static_cast<UINT>(std::wcslen(psz)) : 0;
    return cch == Length() && (cch == 0 || std::wmemcmp(m_bstr, psz, cch) == 0);
}

void CBstr::Empty() noexcept
{
    FreeWiped(m_bstr);
    m_bstr = nullptr;
}

BSTR CBstr::Detach() noexcept
{
    BSTR bstr = m_bstr;
    m_bstr = nullptr;
    return bstr;
}

void CBstr::Attach(BSTR bstr) noexcept
{
    if (bstr != m_bstr) {
        FreeWiped(m_bstr);
        m_bstr = bstr;
    }
}

CBstr operator+(const CBstr& left, LPCWSTR right)
{
    CBstr result(left);
    result.Append(right);
    return result;
}

CBstr operator+(const CBstr& left, const CBstr& right)
{
    CBstr result(left);
    result.Append(right);
    return result;
}
