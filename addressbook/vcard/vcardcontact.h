#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/vcard/vcardproperty.h"

// What one card says of a contact: its first N, FN and ORG, and its
// telephones with their kinds (by their types, or by an X-ABLabel of their
// group, before or after them).
class CVCardContact {
public:
    // Forgets the previous card; the new one starts on this line.
    void Start(unsigned nLine);
    // Whether the property's value is needed, so that the reader holds it.
    bool Wants(const CVCardProperty& property) const;
    void Add(const CVCardProperty& property, const std::u16string& raw, const TextCodec& codec);
    // False when the card has neither a name nor a telephone.
    bool Take(RawContact& contact);

private:
    struct Label {
        std::u16string group;
        PhoneKind kind;
    };

    static std::u16string NumberOf(const std::u16string& value);
    PhoneKind LabelledKind(const std::u16string& group, PhoneKind kind) const;

    RawContact m_contact;
    bool m_bHasName = false;
    bool m_bHasFormatted = false;
    bool m_bHasCompany = false;
    std::vector<std::u16string> m_phoneGroups;
    std::vector<Label> m_labels;
};
