#include "addressbook/vcard/vcardcontact.h"

#include <algorithm>

#include "addressbook/text/asciitext.h"

void CVCardContact::Start(unsigned nLine)
{
    m_contact = RawContact();
    m_contact.nLine = nLine;
    m_bHasName = false;
    m_bHasFormatted = false;
    m_phones.clear();
    m_mobileGroups.clear();
}

bool CVCardContact::Wants(const CVCardProperty& property) const
{
    const std::u16string& name = property.Name();
    if (name == u"N") {
        return !m_bHasName;
    }
    if (name == u"FN") {
        return !m_bHasFormatted;
    }
    if (name == u"TEL") {
        return m_phones.size() < kMaxPhones;
    }
    return name == u"X-ABLABEL" && !property.Group().empty() && m_mobileGroups.size() < kMaxPhones;
}

void CVCardContact::Add(const CVCardProperty& property, const std::u16string& raw, AnsiDecoder decodeAnsi)
{
    if (!Wants(property)) {
        return;
    }
    const std::u16string& name = property.Name();
    if (name == u"N") {
        std::vector<std::u16string> components = property.Components(raw, 2, decodeAnsi);
        m_contact.family = std::move(components[0]);
        m_contact.given = std::move(components[1]);
        m_bHasName = true;
    } else if (name == u"FN") {
        m_contact.formatted = property.Text(raw, decodeAnsi);
        m_bHasFormatted = true;
    } else if (name == u"TEL") {
        m_phones.push_back({property.Group(), NumberOf(property.Text(raw, decodeAnsi)), property.IsMobile()});
    } else if (IsMobileLabel(property.Text(raw, decodeAnsi))) {
        m_mobileGroups.push_back(property.Group());
    }
}

bool CVCardContact::Take(RawContact& contact)
{
    if (!m_phones.empty()) {
        auto mobile = std::find_if(m_phones.begin(), m_phones.end(), [this](const Phone& phone) {
            return IsMobile(phone);
        });
        m_contact.number = std::move(mobile != m_phones.end() ? mobile->number : m_phones.front().number);
    }
    if (m_contact.given.empty() && m_contact.family.empty() && m_contact.formatted.empty() &&
        m_contact.number.empty()) {
        return false;
    }
    contact = std::move(m_contact);
    return true;
}

// Apple writes its own labels as "_$!<Mobile>!$_"; a member's label is plain.
bool CVCardContact::IsMobileLabel(const std::u16string& label)
{
    std::u16string bare = TrimBlanks(label);
    if (StartsWithNoCase(bare, "_$!<") && bare.size() >= 8 && bare.compare(bare.size() - 4, 4, u">!$_") == 0) {
        bare = bare.substr(4, bare.size() - 8);
    }
    return EqualsNoCase(bare, "Mobile") || EqualsNoCase(bare, "Cell");
}

// 4.0 writes telephones as "tel:" URIs; an ";ext=" part stays, so that the
// number reads as one with an extension.
std::u16string CVCardContact::NumberOf(const std::u16string& value)
{
    const std::u16string trimmed = TrimBlanks(value);
    return StartsWithNoCase(trimmed, "tel:") ? TrimBlanks(trimmed.substr(4)) : trimmed;
}

bool CVCardContact::IsMobile(const Phone& phone) const
{
    return phone.bMobile || (!phone.group.empty() && std::find(m_mobileGroups.begin(), m_mobileGroups.end(),
                                                               phone.group) != m_mobileGroups.end());
}
