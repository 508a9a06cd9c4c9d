#pragma once

#include <string>

#include "addressbook/skipreason.h"

// The number in the international form the add dialog asks for ("0044..."),
// or the reason it cannot be.
bool NormaliseNumber(const std::u16string& raw, const std::u16string& countryCode, std::u16string& number,
                     SkipReason& reason);

// A number of the console's list as it compares with an imported one: its
// normalised form, or the number without its separators.
std::u16string ComparableNumber(const std::u16string& existing, const std::u16string& countryCode);
