#pragma once

#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/numbers/phonenumber.h"

// The number of a contact a text message goes to.
struct NumberChoice {
    bool bChosen = false;
    // Without a number to send, why not (NoNumber when it has none).
    SkipReason reason = SkipReason::NoNumber;
    // The number as the file writes it: the one chosen, or the one whose
    // reason is given.
    std::u16string written;
    NormalisedNumber normalised;
    // The contact has no mobile number: another of its numbers was taken.
    bool bNotMobile = false;
    // Clean mobile numbers of the contact other than the one chosen.
    unsigned nOtherMobiles = 0;
};

// Among the mobile numbers (every number a telephone field holds), the
// preferred one that reads cleanly, else the first that does; only without
// any mobile one of the others, the same way. Never a fax or pager number.
NumberChoice ChooseNumber(const std::vector<RawPhone>& phones, const std::u16string& countryCode);
