#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/text/bytesource.h"
#include "addressbook/text/codepages.h"

enum class AddressBookFormat { VCard, Csv };

enum class ReadError {
    None,
    TooLarge,  // more than kMaxAddressBookBytes
    ReadFailed,
    NotAnAddressBook,
    Empty,
    NoUsableContact,
    UnknownColumns,
    TooManyContacts  // more than kMaxContacts
};

enum class PhoneKind : unsigned char { Other, Mobile, Fax, Pager };

// One telephone of a contact as the file writes it; it may hold several
// numbers ("07700 900129 / 07700 900130").
struct RawPhone {
    std::u16string text;
    PhoneKind kind = PhoneKind::Other;
    // 0: not marked preferred; else 1 (most preferred) to 100, as vCard 4.0's
    // PREF; 2.1's and 3.0's PREF type and Google's "* " are 1.
    unsigned char nPreference = 0;
};

// One contact as the file gives it.
struct RawContact {
    // N's given and family name, FN and ORG (vCard); the columns of first and
    // last name, full or display name and company (CSV). A value cut at its
    // bound ends with U+FFFD.
    std::u16string given, family, formatted, company;
    // In file order, at most kMaxPhones.
    std::vector<RawPhone> phones;
    // 1-based line of the file where the contact starts (BEGIN:VCARD, or the
    // CSV record's first line).
    unsigned nLine = 0;
    // A quote on its line was never closed: the field ended with the line.
    bool bUnclosedQuote = false;
};

constexpr size_t kNoColumn = static_cast<size_t>(-1);

// The columns of a CSV file that give the first name, the last name and the
// number (0-based; kNoColumn for none).
struct CsvColumns {
    size_t nFirst = kNoColumn;
    size_t nLast = kNoColumn;
    size_t nNumber = kNoColumn;
};

struct ReadResult {
    ReadError error = ReadError::None;
    AddressBookFormat format = AddressBookFormat::VCard;
    // In file order; empty unless error is None.
    std::vector<RawContact> contacts;
    // CSV: the first record's cells (at most 1024, each cut at 256
    // characters), whether it is a header, and the columns read; also with
    // UnknownColumns, so that the member can choose them.
    std::vector<std::u16string> header;
    bool bHeader = false;
    CsvColumns columns;
};

// Reads a vCard or CSV address book, told apart by content, each line in the
// encoding it has (UTF-16 by its byte order mark or its zero bytes; else
// valid UTF-8, or the code page its parameters or the file's byte order mark
// name, or the system's) through decode. pColumns: the member's choice for a
// CSV file in place of what its header says (a column equal to the one the
// header gave keeps the header's reading: every telephone column of it, by
// kind). The source is read again when a quote is never closed.
ReadResult ReadAddressBook(IByteSource& source, CodePageDecoder decode, const CsvColumns* pColumns = nullptr);

// The columns a CSV header must name, for the message of UnknownColumns.
extern const char16_t kNeededColumns[];
