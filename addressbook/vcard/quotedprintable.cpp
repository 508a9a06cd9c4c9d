#include "addressbook/vcard/quotedprintable.h"

namespace {

void AppendBytes(const std::string& bytes, unsigned nCodePage, const TextCodec& codec, std::u16string& text)
{
    if (nCodePage == 0) {
        nCodePage = IsValidUtf8(bytes.data(), bytes.size()) ? kUtf8CodePage : codec.nFallbackCodePage;
    }
    AppendDecoded(codec.decode, nCodePage, bytes.data(), bytes.size(), text);
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

std::u16string DecodeQuotedPrintable(const std::u16string& value, unsigned nCodePage, const TextCodec& codec)
{
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
            AppendBytes(bytes, nCodePage, codec, text);
            bytes.clear();
            text.push_back(ch);
        }
    }
    AppendBytes(bytes, nCodePage, codec, text);
    return text;
}
