#include "addressbook/vcard/quotedprintable.h"

#include "addressbook/text/asciitext.h"
#include "addressbook/text/utf8.h"

namespace {

// windows-1252 where it differs from ISO 8859-1 (0x80 to 0x9F); its five
// unassigned codes keep their C1 values, as Windows converts them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

enum class Charset { Utf8, Latin1, Windows1252, Unspecified, Ansi };

Charset CharsetNamed(const std::u16string& name)
{
    const std::u16string trimmed = TrimBlanks(name);
    if (trimmed.empty()) {
        return Charset::Unspecified;
    }
    for (const char* pszName : {"UTF-8", "UTF8"}) {
        if (EqualsNoCase(trimmed, pszName)) {
            return Charset::Utf8;
        }
    }
    for (const char* pszName : {"ISO-8859-1", "ISO8859-1", "ISO_8859-1", "LATIN1", "US-ASCII", "ASCII"}) {
        if (EqualsNoCase(trimmed, pszName)) {
            return Charset::Latin1;
        }
    }
    for (const char* pszName : {"WINDOWS-1252", "CP1252", "WINDOWS1252"}) {
        if (EqualsNoCase(trimmed, pszName)) {
            return Charset::Windows1252;
        }
    }
    return Charset::Ansi;
}

void AppendBytes(const std::string& bytes, Charset charset, AnsiDecoder decodeAnsi, std::u16string& text)
{
    if (bytes.empty()) {
        return;
    }
    if (charset == Charset::Unspecified) {
        CUtf8Decoder validator;
        const bool bUtf8 = validator.Feed(bytes.data(), bytes.size(), nullptr) && validator.Finish(nullptr);
        charset = bUtf8 ? Charset::Utf8 : Charset::Ansi;
    }
    if (charset == Charset::Utf8) {
        CUtf8Decoder decoder;
        decoder.Feed(bytes.data(), bytes.size(), &text);
        decoder.Finish(&text);
    } else if (charset == Charset::Ansi && decodeAnsi != nullptr) {
        text += decodeAnsi(bytes.data(), bytes.size());
    } else {
        for (char b : bytes) {
            const auto code = static_cast<unsigned char>(b);
            const bool bHigh = charset == Charset::Windows1252 && code >= 0x80 && code < 0xA0;
            text.push_back(bHigh ? kWindows1252High[code - 0x80] : char16_t{code});
        }
    }
}

int HexValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9') {
        return ch - u'0';
    }
    if (ch >= u'A' && ch <= u'F') {
        return ch - u'A' + 10;
    }
    if (ch >= u'a' && ch <= u'f') {
        return ch - u'a' + 10;
    }
    return -1;
}

}  // namespace

std::u16string DecodeQuotedPrintable(const std::u16string& value, const std::u16string& charset,
                                     AnsiDecoder decodeAnsi)
{
    const Charset named = CharsetNamed(charset);
    std::u16string text;
    std::string bytes;
    for (size_t i = 0; i < value.size(); ++i) {
        const char16_t ch = value[i];
        const int high = ch == u'=' && i + 2 < value.size() ? HexValue(value[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(value[i + 2]) : -1;
        if (low >= 0) {
            bytes.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (ch < 0x80) {
            bytes.push_back(static_cast<char>(ch));
        } else {
            AppendBytes(bytes, named, decodeAnsi, text);
            bytes.clear();
            text.push_back(ch);
        }
    }
    AppendBytes(bytes, named, decodeAnsi, text);
    return text;
}
