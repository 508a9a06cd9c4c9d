#include "ui/exchange/sendabletext.h"

#include <algorithm>
#include <string>

namespace {

constexpr wchar_t kLastSendable = 0x00FF;
constexpr wchar_t kUnsupportedCaption[] = L"Unsupported Characters";

}  // namespace

CBstr UnsendableCharacters(std::initializer_list<const CBstr*> texts)
{
    std::wstring found;
    for (const CBstr* pText : texts) {
        for (UINT i = 0; i < pText->Length(); ++i) {
            wchar_t ch = (*pText)[i];
            if (ch > kLastSendable && found.find(ch) == std::wstring::npos) {
                found += ch;
            }
        }
    }
    return CBstr(found.c_str(), static_cast<UINT>(found.size()));
}

bool CheckSendable(HWND hWndOwner, std::initializer_list<const CBstr*> texts)
{
    CBstr bstrFound = UnsendableCharacters(texts);
    if (bstrFound.IsEmpty()) {
        return true;
    }
    // The wide box shows the characters as typed; the code page might not have them.
    CBstr bstrText = CBstr(L"The text contains characters that cannot be sent: ") + bstrFound +
                     L". Please replace them and try again.";
    ::MessageBoxW(hWndOwner, bstrText.c_str(), kUnsupportedCaption, MB_OK);
    return false;
}

bool CheckSendablePassword(HWND hWndOwner, const CBstr& bstrPassword)
{
    const wchar_t* pch = bstrPassword.c_str();
    if (std::none_of(pch, pch + bstrPassword.Length(), [](wchar_t ch) { return ch > kLastSendable; })) {
        return true;
    }
    ::MessageBoxW(hWndOwner,
                  L"The password contains characters that cannot be sent. Please check the keyboard layout and "
                  L"type it again.",
                  kUnsupportedCaption, MB_OK);
    return false;
}
