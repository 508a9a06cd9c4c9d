#include "net/formencoder.h"

#include <string>

FormEncoder::FormEncoder() : m_reservedChars(CBstr::FromAnsi("\"<>%\\^[]`+$,@:;/!#?=&")) {}

CBstr FormEncoder::Encode(const CBstr& value) const
{
    std::wstring encoded;
    UINT cch = value.Length();
    // The value may be the password: one block of the largest size, wiped
    // below, so that no copy is left behind by growing.
    encoded.reserve(static_cast<size_t>(cch) * 3);
    for (UINT i = 0; i < cch && value[i] != L'\0'; ++i) {
        // Only the low eight bits travel; the service reads them as ISO 8859-1.
        auto c = static_cast<signed char>(value[i] & 0xFF);
        if (NeedsEscape(c)) {
            encoded.append(EscapeChar(c).c_str());
        } else {
            encoded.push_back(static_cast<wchar_t>(c));
        }
    }
    CBstr bstrEncoded(encoded.c_str(), static_cast<UINT>(encoded.size()));
    ::SecureZeroMemory(&encoded[0], encoded.size() * sizeof(wchar_t));
    return bstrEncoded;
}

bool FormEncoder::NeedsEscape(signed char c) const
{
    if (c <= 32 || c >= 123) {
        return true;
    }
    UINT cchReserved = m_reservedChars.Length();
    for (UINT i = 0; i < cchReserved; ++i) {
        if (static_cast<signed char>(m_reservedChars[i]) == c) {
            return true;
        }
    }
    return false;
}

CBstr FormEncoder::EscapeChar(signed char c)
{
    static const wchar_t kHexDigits[] = L"0123456789ABCDEF";
    int nCode = c < 0 ? c + 256 : c;
    const wchar_t szEscape[] = {L'%', kHexDigits[nCode / 16], kHexDigits[nCode % 16]};
    return CBstr(szEscape, 3);
}
