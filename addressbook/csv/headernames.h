#pragma once

#include <string>

// What a CSV header cell names, compared without case, spaces or punctuation,
// in the words of the big address book programs in English, German, French,
// Spanish, Italian, Portuguese, Dutch and Polish ("Vorname", "Prénom",
// "Téléphone mobile", "Telefon komórkowy").
enum class ColumnRole { None, First, Last, Formatted, Company, Mobile, Phone, PhoneType, PhoneValue };

// For Google's "Phone N - Type" (or "- Label") and "Phone N - Value",
// nPhoneIndex is the N that pairs them.
ColumnRole RoleOfColumn(const std::u16string& cell, unsigned& nPhoneIndex);
