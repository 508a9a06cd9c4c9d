#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/text/codepages.h"

// The name and parameters of one vCard content line (what comes before its
// colon), and the decoding its value needs. Knows the parameters of every
// version: 2.1's bare types ("CELL", "PREF") and "QUOTED-PRINTABLE", TYPE
// lists (quoted or not, repeated or not), 4.0's PREF=1, ENCODING and CHARSET.
class CVCardProperty {
public:
    // "group.NAME;PARAM=a,b;PARAM"; names and groups compare in upper case.
    explicit CVCardProperty(const std::u16string& header);

    const std::u16string& Group() const { return m_group; }
    const std::u16string& Name() const { return m_name; }
    // What its types say of a telephone.
    PhoneKind Kind() const { return m_kind; }
    unsigned char Preference() const { return m_nPreference; }
    bool IsQuotedPrintable() const { return m_bQuotedPrintable; }
    // The code page its CHARSET names; 0 for none or one not known.
    unsigned CharsetCodePage() const { return m_nCharsetCodePage; }

    // A text value with its escapes resolved and its quoted-printable decoded.
    std::u16string Text(const std::u16string& raw, const TextCodec& codec) const;
    // The first nMax components of a structured value (split at unescaped
    // semicolons), each decoded as Text; missing ones are empty.
    std::vector<std::u16string> Components(const std::u16string& raw, size_t nMax, const TextCodec& codec) const;

private:
    void ParseName(const std::u16string& name);
    void ParseParameter(const std::u16string& parameter);
    void ParseTypes(const std::u16string& types);
    std::u16string Unescape(const std::u16string& raw) const;

    std::u16string m_group;
    std::u16string m_name;
    unsigned m_nCharsetCodePage = 0;
    PhoneKind m_kind = PhoneKind::Other;
    unsigned char m_nPreference = 0;
    bool m_bQuotedPrintable = false;
};
