#pragma once

#include <string>

// Helpers for the ASCII keywords of address book files in UTF-16 text.
bool IsBlank(char16_t ch);
bool IsBlankText(const std::u16string& text);
std::u16string TrimBlanks(const std::u16string& text);
// Compares ASCII letters without regard to case; pszAscii is plain ASCII.
bool EqualsNoCase(const std::u16string& text, const char* pszAscii);
bool StartsWithNoCase(const std::u16string& text, const char* pszAscii);
std::u16string ToUpperAscii(std::u16string text);
// Letters and digits only, in lower case (ASCII and the Latin letters up to
// U+017F): how names of columns and labels compare ("E-mail Address" and
// "e-mail address", "Téléphone mobile" and "TÉLÉPHONE MOBILE").
std::u16string FoldedName(const std::u16string& text);
