#pragma once

#include <string>

#include "addressbook/text/bytesource.h"

// Decodes a quoted-printable value (soft line breaks already joined) whose
// bytes are in the named character set: UTF-8, ISO 8859-1 (and US-ASCII) and
// windows-1252 are known; without a charset the bytes are UTF-8 when they are
// valid UTF-8; any other charset goes to the ANSI decoder. Characters outside
// ASCII in the value itself are kept as they are.
std::u16string DecodeQuotedPrintable(const std::u16string& value, const std::u16string& charset,
                                     AnsiDecoder decodeAnsi);
