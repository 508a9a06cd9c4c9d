#include "addressbook/vcard/vcardproperty.h"

#include "addressbook/numbers/phonelabel.h"
#include "addressbook/text/asciitext.h"
#include "addressbook/vcard/quotedprintable.h"

namespace {

// Splits at a separator outside double quotes.
std::vector<std::u16string> SplitOutsideQuotes(const std::u16string& text, char16_t separator)
{
    std::vector<std::u16string> parts(1);
    bool bQuoted = false;
    for (char16_t ch : text) {
        if (ch == u'"') {
            bQuoted = !bQuoted;
        } else if (ch == separator && !bQuoted) {
            parts.emplace_back();
            continue;
        }
        parts.back().push_back(ch);
    }
    return parts;
}

std::u16string WithoutQuotes(const std::u16string& text)
{
    std::u16string bare;
    for (char16_t ch : text) {
        if (ch != u'"') {
            bare.push_back(ch);
        }
    }
    return TrimBlanks(bare);
}

}  // namespace

CVCardProperty::CVCardProperty(const std::u16string& header)
{
    const std::vector<std::u16string> parts = SplitOutsideQuotes(header, u';');
    ParseName(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        ParseParameter(parts[i]);
    }
}

std::u16string CVCardProperty::Text(const std::u16string& raw, const TextCodec& codec) const
{
    const std::u16string text = Unescape(raw);
    return m_bQuotedPrintable ? DecodeQuotedPrintable(text, m_nCharsetCodePage, codec) : text;
}

std::vector<std::u16string> CVCardProperty::Components(const std::u16string& raw, size_t nMax,
                                                       const TextCodec& codec) const
{
    std::vector<std::u16string> components(nMax);
    size_t nComponent = 0;
    std::u16string current;
    for (size_t i = 0; i < raw.size() && nComponent < nMax; ++i) {
        if (raw[i] == u'\\' && i + 1 < raw.size()) {
            current.push_back(raw[i]);
            current.push_back(raw[++i]);
        } else if (raw[i] == u';') {
            components[nComponent++] = Text(current, codec);
            current.clear();
        } else {
            current.push_back(raw[i]);
        }
    }
    if (nComponent < nMax) {
        components[nComponent] = Text(current, codec);
    }
    return components;
}

void CVCardProperty::ParseName(const std::u16string& name)
{
    const size_t dot = name.find(u'.');
    if (dot != std::u16string::npos) {
        m_group = ToUpperAscii(TrimBlanks(name.substr(0, dot)));
    }
    m_name = ToUpperAscii(TrimBlanks(dot == std::u16string::npos ? name : name.substr(dot + 1)));
}

void CVCardProperty::ParseParameter(const std::u16string& parameter)
{
    const size_t equals = parameter.find(u'=');
    if (equals == std::u16string::npos) {
        // 2.1 names a type or an encoding without its parameter name.
        const std::u16string bare = WithoutQuotes(parameter);
        m_bQuotedPrintable = m_bQuotedPrintable || EqualsNoCase(bare, "QUOTED-PRINTABLE");
        ParseTypes(bare);
        return;
    }
    const std::u16string key = TrimBlanks(parameter.substr(0, equals));
    const std::u16string value = parameter.substr(equals + 1);
    if (EqualsNoCase(key, "TYPE")) {
        ParseTypes(value);
    } else if (EqualsNoCase(key, "ENCODING")) {
        m_bQuotedPrintable = EqualsNoCase(WithoutQuotes(value), "QUOTED-PRINTABLE");
    } else if (EqualsNoCase(key, "CHARSET")) {
        m_nCharsetCodePage = CodePageOfCharset(WithoutQuotes(value));
    } else if (EqualsNoCase(key, "PREF")) {
        // 4.0: 1 is the most preferred, 100 the least.
        unsigned nPreference = 0;
        for (char16_t ch : WithoutQuotes(value)) {
            nPreference = ch >= u'0' && ch <= u'9' && nPreference < 100 ? nPreference * 10 + (ch - u'0') : nPreference;
        }
        m_nPreference = static_cast<unsigned char>(nPreference == 0 ? 1 : nPreference > 100 ? 100 : nPreference);
    }
}

void CVCardProperty::ParseTypes(const std::u16string& types)
{
    for (const std::u16string& type : SplitOutsideQuotes(WithoutQuotes(types), u',')) {
        const PhoneKind kind = KindOfLabel(type);
        // A fax or pager number never takes a text, whatever else it is.
        if (kind == PhoneKind::Fax || kind == PhoneKind::Pager || m_kind == PhoneKind::Other) {
            m_kind = m_kind == PhoneKind::Fax || m_kind == PhoneKind::Pager ? m_kind : kind;
        }
        if (EqualsNoCase(TrimBlanks(type), "PREF")) {
            m_nPreference = 1;
        }
    }
}

std::u16string CVCardProperty::Unescape(const std::u16string& raw) const
{
    std::u16string text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const char16_t next = i + 1 < raw.size() ? raw[i + 1] : u'\0';
        if (raw[i] != u'\\' || (next != u'\\' && next != u',' && next != u';' && next != u'n' && next != u'N')) {
            text.push_back(raw[i]);
            continue;
        }
        text.push_back(next == u'n' || next == u'N' ? u'\n' : next);
        ++i;
    }
    return text;
}
