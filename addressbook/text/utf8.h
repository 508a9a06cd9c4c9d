#pragma once

#include <cstddef>
#include <string>

// Decodes UTF-8 that arrives in pieces of any size (a sequence may be split
// between two pieces). Each invalid sequence becomes one U+FFFD, as browsers
// decode it; overlong forms, surrogates and code points above U+10FFFF are
// invalid.
class CUtf8Decoder {
public:
    // Appends the text to pOut unless it is null (validation only). False once
    // any invalid sequence has been met.
    bool Feed(const char* p, size_t cb, std::u16string* pOut);
    // A sequence still incomplete at the end is invalid.
    bool Finish(std::u16string* pOut);
    bool IsValid() const { return m_bValid; }

private:
    bool StartSequence(unsigned char b);
    void Invalid(std::u16string* pOut);
    static void Append(char32_t codePoint, std::u16string* pOut);

    char32_t m_codePoint = 0;
    int m_nNeeded = 0;
    unsigned char m_lower = 0x80;
    unsigned char m_upper = 0xBF;
    bool m_bValid = true;
};

// Appends the UTF-8 of one code point (no surrogate).
void AppendCodePoint(std::string& out, char32_t codePoint);

// Appends the UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, const std::u16string& text);
