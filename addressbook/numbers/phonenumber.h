#pragma once

#include <string>
#include <vector>

#include "addressbook/skipreason.h"

// One number in the form the add dialog asks for: "00" and the international
// number.
struct NormalisedNumber {
    std::u16string number;
    // Written without a prefix where the telephone plan cannot tell a
    // national number from an international one: the preview asks.
    bool bAmbiguous = false;
    // The reading not taken, when the number reads both ways.
    std::u16string otherReading;
};

// Reads a number as the telephone plan has it: "+" or "00" and a country
// code, or a national number of the member's country (countryCode, digits
// only; empty when not known) with or without its national prefix, which
// goes, as "(0)" after a country code does. Without any prefix, digits that
// start with a country code and fit a mobile number of it are international,
// unless they fit a number of the member's country too: then they are read as
// that, and marked ambiguous. False with the reason when it cannot be sent as
// it stands (longer than the plan allows, or than the add dialog takes).
bool NormaliseNumber(const std::u16string& raw, const std::u16string& countryCode, NormalisedNumber& normalised,
                     SkipReason& reason);

// The numbers a field holds: split at " ::: ", ";", "," or "/" where every
// part holds a number of its own (seven digits or more), so that
// "07700 900129 / 07700 900130" is two and "0171/1234567" one. Blank parts go.
std::vector<std::u16string> SplitNumbers(const std::u16string& field);

// A number of the console's list as it compares with an imported one: its
// normalised form, or the number without its separators.
std::u16string ComparableNumber(const std::u16string& existing, const std::u16string& countryCode);
