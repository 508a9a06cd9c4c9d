// Reads "number<TAB>country code" lines and writes what the address book's
// normaliser makes of each, one line each: "00" and the international number,
// or "!" and the reason. For the differential test against libphonenumber.
#include <iostream>
#include <string>

#include "addressbook/numbers/phonenumber.h"
#include "contactstesttext.h"

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        const size_t tab = line.find('\t');
        NormalisedNumber normalised;
        SkipReason reason = SkipReason::NoNumber;
        const bool bRead = NormaliseNumber(Utf16(line.substr(0, tab)),
                                           Utf16(tab == std::string::npos ? "" : line.substr(tab + 1)), normalised,
                                           reason);
        std::cout << (bRead ? Utf8(normalised.number) : "!" + std::to_string(static_cast<int>(reason))) << "\n";
    }
    return 0;
}
