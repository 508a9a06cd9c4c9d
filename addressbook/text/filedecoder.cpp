#include "addressbook/text/filedecoder.h"

#include "addressbook/text/utf8.h"

namespace {

bool StartsWith(const std::string& bytes, const char* pszMark, size_t cb)
{
    return bytes.compare(0, cb, pszMark, cb) == 0;
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

CFileDecoder::CFileDecoder(TextCodec& codec, ILineSink& sink) : m_codec(codec), m_lines(codec, sink) {}

void CFileDecoder::Feed(const char* p, size_t cb)
{
    if (m_kind != Kind::Unknown) {
        Pass(p, cb);
        return;
    }
    m_head.append(p, cb);
    if (m_head.size() >= kHeadBytes) {
        Decide();
    }
}

void CFileDecoder::Finish()
{
    if (m_kind == Kind::Unknown) {
        Decide();
    }
    if (m_nPendingByte >= 0 || m_highSurrogate != 0) {
        m_highSurrogate = 0;
        m_nPendingByte = -1;
        m_utf8.clear();
        AppendCodePoint(m_utf8, 0xFFFD);
        m_lines.Feed(m_utf8.data(), m_utf8.size());
    }
    m_lines.Finish();
}

// In UTF-16 text of address books most characters are ASCII, so one byte of
// each pair is zero: the odd ones in little-endian, the even ones in big-endian.
void CFileDecoder::Decide()
{
    size_t cbBom = 0;
    if (StartsWith(m_head, "\xEF\xBB\xBF", 3)) {
        m_kind = Kind::Bytes;
        cbBom = 3;
        m_codec.nFallbackCodePage = kUtf8CodePage;
    } else if (StartsWith(m_head, "\xFF\xFE", 2) || StartsWith(m_head, "\xFE\xFF", 2)) {
        m_kind = m_head[0] == '\xFF' ? Kind::Utf16Le : Kind::Utf16Be;
        cbBom = 2;
    } else {
        size_t nEvenZeros = 0;
        size_t nOddZeros = 0;
        const size_t nPairs = m_head.size() / 2;
        for (size_t i = 0; i < nPairs; ++i) {
            nEvenZeros += m_head[2 * i] == '\0' ? 1 : 0;
            nOddZeros += m_head[2 * i + 1] == '\0' ? 1 : 0;
        }
        const auto isUtf16 = [nPairs](size_t nZeros, size_t nOther) {
            return nPairs >= 2 && nZeros * 4 >= nPairs && nOther * 8 <= nZeros;
        };
        m_kind = isUtf16(nOddZeros, nEvenZeros) ? Kind::Utf16Le : isUtf16(nEvenZeros, nOddZeros) ? Kind::Utf16Be
                                                                                                   : Kind::Bytes;
    }
    if (m_kind != Kind::Bytes) {
        m_codec.nFallbackCodePage = kUtf8CodePage;
    }
    std::string head;
    head.swap(m_head);
    Pass(head.data() + cbBom, head.size() - cbBom);
}

void CFileDecoder::Pass(const char* p, size_t cb)
{
    if (m_kind == Kind::Bytes) {
        m_lines.Feed(p, cb);
    } else {
        FeedUtf16(p, cb);
    }
}

void CFileDecoder::FeedUtf16(const char* p, size_t cb)
{
    m_utf8.clear();
    for (size_t i = 0; i < cb; ++i) {
        const int b = static_cast<unsigned char>(p[i]);
        if (m_nPendingByte < 0) {
            m_nPendingByte = b;
            continue;
        }
        const int unit = m_kind == Kind::Utf16Le ? (b << 8) | m_nPendingByte : (m_nPendingByte << 8) | b;
        m_nPendingByte = -1;
        AppendUnit(static_cast<char16_t>(unit));
    }
    m_lines.Feed(m_utf8.data(), m_utf8.size());
}

// A surrogate without its pair becomes U+FFFD, which UTF-8 can carry.
void CFileDecoder::AppendUnit(char16_t unit)
{
    if (m_highSurrogate != 0) {
        const char16_t high = m_highSurrogate;
        m_highSurrogate = 0;
        if (IsLowSurrogate(unit)) {
            AppendCodePoint(m_utf8, 0x10000 + ((char32_t{high} - 0xD800) << 10) + (char32_t{unit} - 0xDC00));
            return;
        }
        AppendCodePoint(m_utf8, 0xFFFD);
    }
    if (IsHighSurrogate(unit)) {
        m_highSurrogate = unit;
    } else {
        AppendCodePoint(m_utf8, IsLowSurrogate(unit) ? char32_t{0xFFFD} : char32_t{unit});
    }
}
