#include "addressbook/text/codepages.h"

#include <cstring>

#include "addressbook/text/utf8.h"

namespace {

struct NamedCodePage {
    const char* pszName;  // upper case, without separators
    unsigned nCodePage;
};

// The charsets vCards name, by the Windows code page of that name.
constexpr NamedCodePage kCharsets[] = {
    {"UTF8", kUtf8CodePage},  {"USASCII", 28591},    {"ASCII", 28591},     {"LATIN1", 28591},
    {"LATIN2", 28592},        {"KOI8R", 20866},      {"KOI8U", 21866},     {"SHIFTJIS", 932},
    {"SJIS", 932},            {"GB2312", 936},       {"GBK", 936},         {"BIG5", 950},
    {"EUCKR", 949},           {"EUCJP", 20932},      {"ISO2022JP", 50220}, {"MACINTOSH", 10000},
};

// "WINDOWS1250", "CP1250", "ISO88592", "ISO8859_2" reduced to their number.
unsigned NumberedCodePage(const std::string& name)
{
    auto numberAfter = [&name](const char* pszPrefix) -> int {
        const size_t cch = std::strlen(pszPrefix);
        if (name.compare(0, cch, pszPrefix) != 0 || name.size() == cch || name.size() > cch + 5) {
            return -1;
        }
        int n = 0;
        for (size_t i = cch; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9') {
                return -1;
            }
            n = n * 10 + (name[i] - '0');
        }
        return n;
    };
    for (const char* pszPrefix : {"WINDOWS", "CP", "WIN"}) {
        const int n = numberAfter(pszPrefix);
        if ((n >= 1250 && n <= 1258) || n == 874 || n == 932 || n == 936 || n == 949 || n == 950) {
            return static_cast<unsigned>(n);
        }
    }
    const int n = numberAfter("ISO8859");
    const bool bWindowsHasIt = (n >= 1 && n <= 9) || n == 13 || n == 15;
    return bWindowsHasIt ? static_cast<unsigned>(28590 + n) : 0;
}

}  // namespace

unsigned CodePageOfCharset(const std::u16string& name)
{
    std::string bare;
    for (char16_t ch : name) {
        if (ch >= u'a' && ch <= u'z') {
            bare.push_back(static_cast<char>(ch - u'a' + u'A'));
        } else if ((ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9')) {
            bare.push_back(static_cast<char>(ch));
        } else if (ch != u'-' && ch != u'_' && ch != u' ') {
            return 0;
        }
    }
    for (const NamedCodePage& known : kCharsets) {
        if (bare == known.pszName) {
            return known.nCodePage;
        }
    }
    return NumberedCodePage(bare);
}

void AppendDecoded(CodePageDecoder decode, unsigned nCodePage, const char* p, size_t cb, std::u16string& text)
{
    if (cb == 0) {
        return;
    }
    if (nCodePage == kUtf8CodePage) {
        CUtf8Decoder decoder;
        decoder.Feed(p, cb, &text);
        decoder.Finish(&text);
        return;
    }
    if (decode == nullptr) {
        text.append(reinterpret_cast<const unsigned char*>(p), reinterpret_cast<const unsigned char*>(p) + cb);
        return;
    }
    const size_t cchBefore = text.size();
    if (decode(nCodePage, p, cb, text)) {
        return;
    }
    text.resize(cchBefore);
    for (size_t i = 0; i < cb; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        text.push_back(b < 0x80 ? char16_t{b} : u'\uFFFD');
    }
}

bool IsValidUtf8(const char* p, size_t cb)
{
    for (size_t i = 0; i < cb; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80) {
            CUtf8Decoder validator;
            return validator.Feed(p + i, cb - i, nullptr) && validator.Finish(nullptr);
        }
    }
    return true;
}
