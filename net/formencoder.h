#pragma once

#include "base/bstr.h"

// Percent-encodes one form value the way the service decodes it: every 16-bit
// unit is sent as its low eight bits, letters, digits and ' ( ) * - . _ as
// they are, everything else as "%XX" (a space is "%20", never "+").
class FormEncoder {
public:
    FormEncoder();
    virtual ~FormEncoder() = default;

    // A NUL unit ends the value: the units after it are not sent, as no
    // control of the program can produce one.
    CBstr Encode(const CBstr& value) const;
    bool NeedsEscape(signed char c) const;
    static CBstr EscapeChar(signed char c);

private:
    CBstr m_reservedChars;
};
