#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// Owning wrapper of a length-counted system string. A null BSTR is the empty
// string; allocation failures leave the wrapper empty rather than throwing.
// Every string is wiped before it is freed: the member's password passes
// through several on its way to the request, and telling those apart would
// cost more than the wipe.
class CBstr {
public:
    CBstr() noexcept = default;
    explicit CBstr(LPCWSTR psz);
    CBstr(LPCWSTR pch, UINT cch);
    CBstr(const CBstr& other);
    CBstr(CBstr&& other) noexcept;
    CBstr& operator=(const CBstr& other);
    CBstr& operator=(CBstr&& other) noexcept;
    ~CBstr();

    // 8-bit text in the thread's ANSI code page, converted without flags.
    static CBstr FromAnsi(const char* psz);
    static CBstr FromAnsi(const char* pch, int cb);
    std::string ToAnsi() const;

    UINT Length() const noexcept { return ::SysStringLen(m_bstr); }
    bool IsEmpty() const noexcept { return Length() == 0; }
    BSTR Get() const noexcept { return m_bstr; }
    // Never null, so it can be handed to C string functions.
    LPCWSTR c_str() const noexcept { return m_bstr ? m_bstr : L""; }
    wchar_t operator[](UINT i) const noexcept { return m_bstr[i]; }

    bool Append(LPCWSTR pch, UINT cch);
    bool Append(LPCWSTR psz);
    bool Append(const CBstr& other) { return Append(other.m_bstr, other.Length()); }
    CBstr& operator+=(LPCWSTR psz) { Append(psz); return *this; }
    CBstr& operator+=(const CBstr& other) { Append(other); return *this; }

    bool operator==(const CBstr& other) const noexcept;
    bool operator==(LPCWSTR psz) const noexcept;
    bool operator!=(const CBstr& other) const noexcept { return !(*this == other); }

    void Empty() noexcept;
    BSTR Detach() noexcept;
    void Attach(BSTR bstr) noexcept;

private:
    BSTR m_bstr = nullptr;
};

CBstr operator+(const CBstr& left, LPCWSTR right);
CBstr operator+(const CBstr& left, const CBstr& right);

// The thread's ANSI code page, for conversions at the edges of the program.
std::string WideToAnsi(LPCWSTR pch, int cch);
