#pragma once

// Why a contact of a file is not imported.
enum class SkipReason {
    NoName,
    NameTooLong,
    UnsupportedCharacters,
    NoNumber,
    NationalNumber,
    LettersOrExtension,
    Duplicate
};
