#pragma once

#include <string>
#include <vector>

#include "addressbook/text/bytesource.h"

enum class AddressBookFormat { VCard, Csv };

enum class ReadError {
    None,
    TooLarge,  // more than 256 MiB
    ReadFailed,
    NotAnAddressBook,
    Empty,
    NoUsableContact,
    UnknownColumns
};

// One contact as the file gives it.
struct RawContact {
    // N's given and family name and FN (vCard); the First, Last and Name
    // columns (CSV). A value cut at its bound ends with U+FFFD.
    std::u16string given, family, formatted;
    // The chosen telephone as written (mobile preferred), empty when none.
    std::u16string number;
    // 1-based line of the file where the contact starts (BEGIN:VCARD, or the
    // CSV record's first line).
    unsigned nLine = 0;
};

struct ReadResult {
    ReadError error = ReadError::None;
    AddressBookFormat format = AddressBookFormat::VCard;
    // In file order; empty unless error is None.
    std::vector<RawContact> contacts;
};

// Reads a vCard or CSV address book, told apart by content: UTF-8 or UTF-16
// by its byte order mark; without one UTF-8 when the whole file is valid
// UTF-8, else the ANSI code page through decodeAnsi. Reads the source twice.
ReadResult ReadAddressBook(IByteSource& source, AnsiDecoder decodeAnsi);

// The columns a CSV header must name, for the message of UnknownColumns.
extern const char16_t kNeededColumns[];
