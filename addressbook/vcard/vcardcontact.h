#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/vcard/vcardproperty.h"

// What one card says of a contact: its first N and FN, and its telephones, of
// which the mobile one (by its type, or by an X-ABLabel of its group, before
// or after it) is chosen, else the first.
class CVCardContact {
public:
    // Telephones and mobile labels kept per card; a card with more is hostile
    // or absurd, and its later ones are ignored.
    static constexpr size_t kMaxPhones = 32;

    // Forgets the previous card; the new one starts on this line.
    void Start(unsigned nLine);
    // Whether the property's value is needed, so that the reader holds it.
    bool Wants(const CVCardProperty& property) const;
    void Add(const CVCardProperty& property, const std::u16string& raw, AnsiDecoder decodeAnsi);
    // False when the card has neither a name nor a number.
    bool Take(RawContact& contact);

private:
    struct Phone {
        std::u16string group;
        std::u16string number;
        bool bMobile;
    };

    static bool IsMobileLabel(const std::u16string& label);
    static std::u16string NumberOf(const std::u16string& value);
    bool IsMobile(const Phone& phone) const;

    RawContact m_contact;
    bool m_bHasName = false;
    bool m_bHasFormatted = false;
    std::vector<Phone> m_phones;
    std::vector<std::u16string> m_mobileGroups;
};
