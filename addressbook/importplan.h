#pragma once

#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/skipreason.h"


struct ImportCandidate {
    std::u16string firstName, lastName;
    // "00" and the international number, or the digits as they stand.
    std::u16string number;
    unsigned nLine;
};

struct ImportSkip {
    unsigned nLine;
    // What the member recognises: first and last name, or the formatted name,
    // or the number; at most kMaxShownNameChars, longer ones cut with "...".
    std::u16string name;
    SkipReason reason;
};

struct ImportPlan {
    std::vector<ImportCandidate> toAdd;
    std::vector<ImportSkip> skipped;
};

// Longest name an ImportSkip shows.
constexpr size_t kMaxShownNameChars = 60;

// Checks each contact, in file order, as the add dialog would: the name, then
// the number, then whether the number is already in the list or earlier in
// the file. existingNumbers: the numbers already in the console's list, as the
// service sent them. countryCode: digits only, e.g. u"44", or empty, so that
// national numbers are skipped as NationalNumber.
ImportPlan PlanImport(const std::vector<RawContact>& contacts, const std::vector<std::u16string>& existingNumbers,
                      const std::u16string& countryCode);
