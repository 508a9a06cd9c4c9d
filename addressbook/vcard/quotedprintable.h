#pragma once

#include <string>

#include "addressbook/text/codepages.h"

// Decodes a quoted-printable value (soft line breaks already joined) whose
// bytes are in the code page its CHARSET names (nCodePage; 0 when it names
// none or one not known: then UTF-8 when the bytes are valid UTF-8, else the
// codec's fallback). Characters outside ASCII in the value itself are kept as
// they are.
std::u16string DecodeQuotedPrintable(const std::u16string& value, unsigned nCodePage, const TextCodec& codec);
