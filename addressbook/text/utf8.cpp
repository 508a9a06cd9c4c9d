#include "addressbook/text/utf8.h"

bool CUtf8Decoder::Feed(const char* p, size_t cb, std::u16string* pOut)
{
    size_t i = 0;
    while (i < cb) {
        const auto b = static_cast<unsigned char>(p[i]);
        if (m_nNeeded == 0) {
            if (b < 0x80) {
                if (pOut != nullptr) {
                    pOut->push_back(b);
                }
            } else if (!StartSequence(b)) {
                Invalid(pOut);
            }
            ++i;
            continue;
        }
        if (b < m_lower || b > m_upper) {
            // The byte that broke the sequence may start the next one.
            m_nNeeded = 0;
            m_lower = 0x80;
            m_upper = 0xBF;
            Invalid(pOut);
            continue;
        }
        m_lower = 0x80;
        m_upper = 0xBF;
        m_codePoint = (m_codePoint << 6) | (b & 0x3F);
        if (--m_nNeeded == 0) {
            Append(m_codePoint, pOut);
        }
        ++i;
    }
    return m_bValid;
}

bool CUtf8Decoder::Finish(std::u16string* pOut)
{
    if (m_nNeeded != 0) {
        m_nNeeded = 0;
        m_lower = 0x80;
        m_upper = 0xBF;
        Invalid(pOut);
    }
    return m_bValid;
}

bool CUtf8Decoder::StartSequence(unsigned char b)
{
    if (b >= 0xC2 && b <= 0xDF) {
        m_nNeeded = 1;
        m_codePoint = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        m_lower = b == 0xE0 ? 0xA0 : 0x80;
        m_upper = b == 0xED ? 0x9F : 0xBF;
        m_nNeeded = 2;
        m_codePoint = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        m_lower = b == 0xF0 ? 0x90 : 0x80;
        m_upper = b == 0xF4 ? 0x8F : 0xBF;
        m_nNeeded = 3;
        m_codePoint = b & 0x07;
    } else {
        return false;
    }
    return true;
}

void CUtf8Decoder::Invalid(std::u16string* pOut)
{
    m_bValid = false;
    if (pOut != nullptr) {
        pOut->push_back(u'\uFFFD');
    }
}

void CUtf8Decoder::Append(char32_t codePoint, std::u16string* pOut)
{
    if (pOut == nullptr) {
        return;
    }
    if (codePoint < 0x10000) {
        pOut->push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    pOut->push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    pOut->push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

void AppendCodePoint(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

namespace {

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

void AppendUtf8(std::string& out, const std::u16string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (IsHighSurrogate(ch) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendCodePoint(out, 0x10000 + ((char32_t{ch} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(ch) || IsLowSurrogate(ch)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, ch);
        }
    }
}
