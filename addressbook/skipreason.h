#pragma once

// Why a contact of a file is not imported.
enum class SkipReason {
    NoName,
    NameTooLong,
    UnsupportedCharacters,
    NoNumber,
    NationalNumber,
    LettersOrExtension,
    Duplicate,
    Unreadable,         // a value it needs decoded to replacement characters
    TooLong,            // the number is longer than the telephone plan allows
    SpreadsheetNumber,  // "4.477E+11"
    UnclosedQuote
};
