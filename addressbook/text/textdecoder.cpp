#include "addressbook/text/textdecoder.h"

namespace {

// Bytes below 0x40 are neither lead nor trail bytes in any double-byte code
// page, so the ANSI text can be cut after one.
bool EndsAnsiPiece(char b)
{
    return static_cast<unsigned char>(b) < 0x40;
}

constexpr size_t kMaxPendingAnsi = 64 * 1024;

}  // namespace

CTextDecoder::CTextDecoder(TextEncoding encoding, AnsiDecoder decodeAnsi)
    : m_encoding(encoding), m_decodeAnsi(decodeAnsi)
{
}

bool CTextDecoder::DetectBom(const char* p, size_t cb, TextEncoding& encoding, size_t& cbBom)
{
    const auto* pb = reinterpret_cast<const unsigned char*>(p);
    if (cb >= 3 && pb[0] == 0xEF && pb[1] == 0xBB && pb[2] == 0xBF) {
        encoding = TextEncoding::Utf8;
        cbBom = 3;
    } else if (cb >= 2 && pb[0] == 0xFF && pb[1] == 0xFE) {
        encoding = TextEncoding::Utf16Le;
        cbBom = 2;
    } else if (cb >= 2 && pb[0] == 0xFE && pb[1] == 0xFF) {
        encoding = TextEncoding::Utf16Be;
        cbBom = 2;
    } else {
        return false;
    }
    return true;
}

void CTextDecoder::Decode(const char* p, size_t cb, std::u16string& text)
{
    const size_t start = text.size();
    switch (m_encoding) {
    case TextEncoding::Utf8:
        m_utf8.Feed(p, cb, &text);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        DecodeUtf16(p, cb, text);
        break;
    case TextEncoding::Ansi:
        DecodeAnsi(p, cb, text);
        break;
    }
    NormaliseLineEnds(text, start);
}

void CTextDecoder::Finish(std::u16string& text)
{
    const size_t start = text.size();
    if (m_encoding == TextEncoding::Utf8) {
        m_utf8.Finish(&text);
    } else if (m_nPendingByte >= 0) {
        text.push_back(u'\uFFFD');
        m_nPendingByte = -1;
    }
    FlushAnsi(m_pendingAnsi.size(), text);
    NormaliseLineEnds(text, start);
}

void CTextDecoder::DecodeUtf16(const char* p, size_t cb, std::u16string& text)
{
    const bool bLittleEndian = m_encoding == TextEncoding::Utf16Le;
    for (size_t i = 0; i < cb; ++i) {
        const int b = static_cast<unsigned char>(p[i]);
        if (m_nPendingByte < 0) {
            m_nPendingByte = b;
            continue;
        }
        const int unit = bLittleEndian ? (b << 8) | m_nPendingByte : (m_nPendingByte << 8) | b;
        text.push_back(static_cast<char16_t>(unit));
        m_nPendingByte = -1;
    }
}

void CTextDecoder::DecodeAnsi(const char* p, size_t cb, std::u16string& text)
{
    // The bytes held back have no place to cut, so only the new ones are searched.
    size_t cbNew = cb;
    while (cbNew > 0 && !EndsAnsiPiece(p[cbNew - 1])) {
        --cbNew;
    }
    size_t cbPiece = cbNew > 0 ? m_pendingAnsi.size() + cbNew : 0;
    m_pendingAnsi.append(p, cb);
    if (cbPiece == 0 && m_pendingAnsi.size() > kMaxPendingAnsi) {
        cbPiece = m_pendingAnsi.size();
    }
    FlushAnsi(cbPiece, text);
}

void CTextDecoder::FlushAnsi(size_t cb, std::u16string& text)
{
    if (cb == 0) {
        return;
    }
    if (m_decodeAnsi != nullptr) {
        text += m_decodeAnsi(m_pendingAnsi.data(), cb);
    } else {
        for (size_t i = 0; i < cb; ++i) {
            text.push_back(static_cast<unsigned char>(m_pendingAnsi[i]));
        }
    }
    m_pendingAnsi.erase(0, cb);
}

void CTextDecoder::NormaliseLineEnds(std::u16string& text, size_t start)
{
    size_t out = start;
    for (size_t in = start; in < text.size(); ++in) {
        const char16_t ch = text[in];
        if (ch == u'\n' && m_bAfterCr) {
            m_bAfterCr = false;
            continue;
        }
        m_bAfterCr = ch == u'\r';
        text[out++] = m_bAfterCr ? u'\n' : ch;
    }
    text.resize(out);
}
