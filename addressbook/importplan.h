#pragma once

#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/skipreason.h"

// A contact that will be added.
struct ImportCandidate {
    std::u16string firstName, lastName;
    // Exactly as it will be sent: "00" and the international number, or, for
    // an ambiguous one without a country code, the digits as they stand.
    std::u16string number;
    unsigned nLine;
    // The contact has no mobile number: another of its numbers was taken.
    bool bNotMobile = false;
    // Clean mobile numbers of the contact left besides this one.
    unsigned nOtherMobiles = 0;
    // Written without a prefix, and the telephone plan cannot tell how it is
    // meant: the preview asks. otherReading: the number read the other way,
    // when it reads both ways.
    bool bAmbiguous = false;
    std::u16string otherReading{};
    // The other reading is already in the list or earlier in the file.
    bool bOtherReadingKnown = false;
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

// Checks each contact, in file order, as the add dialog would: the name (given
// and family name, else the formatted name, the family name alone or the
// company, as the first name), then the number (ChooseNumber), then whether
// the number is already in the list or earlier in the file. existingNumbers:
// the numbers already in the console's list, as the service sent them.
// countryCode: digits only, e.g. u"44", or empty, so that national numbers are
// skipped as NationalNumber.
ImportPlan PlanImport(const std::vector<RawContact>& contacts, const std::vector<std::u16string>& existingNumbers,
                      const std::u16string& countryCode);
