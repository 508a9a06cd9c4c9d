#include "addressbook/vcard/vcardcontact.h"

#include "addressbook/addressbooklimits.h"
#include "addressbook/numbers/phonelabel.h"
#include "addressbook/text/asciitext.h"

namespace {

// A fax or pager number never takes a text, whatever else it is.
PhoneKind Stronger(PhoneKind left, PhoneKind right)
{
    for (PhoneKind kind : {PhoneKind::Fax, PhoneKind::Pager, PhoneKind::Mobile}) {
        if (left == kind || right == kind) {
            return kind;
        }
    }
    return PhoneKind::Other;
}

}  // namespace

void CVCardContact::Start(unsigned nLine)
{
    m_contact = RawContact();
    m_contact.nLine = nLine;
    m_bHasName = false;
    m_bHasFormatted = false;
    m_bHasCompany = false;
    m_phoneGroups.clear();
    m_labels.clear();
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
    if (name == u"ORG") {
        return !m_bHasCompany;
    }
    if (name == u"TEL") {
        return m_contact.phones.size() < kMaxPhones;
    }
    return name == u"X-ABLABEL" && !property.Group().empty() && m_labels.size() < kMaxPhones;
}

void CVCardContact::Add(const CVCardProperty& property, const std::u16string& raw, const TextCodec& codec)
{
    if (!Wants(property)) {
        return;
    }
    const std::u16string& name = property.Name();
    if (name == u"N") {
        std::vector<std::u16string> components = property.Components(raw, 2, codec);
        m_contact.family = std::move(components[0]);
        m_contact.given = std::move(components[1]);
        m_bHasName = true;
    } else if (name == u"FN") {
        m_contact.formatted = property.Text(raw, codec);
        m_bHasFormatted = true;
    } else if (name == u"ORG") {
        m_contact.company = std::move(property.Components(raw, 1, codec)[0]);
        m_bHasCompany = true;
    } else if (name == u"TEL") {
        std::u16string number = NumberOf(property.Text(raw, codec));
        if (!number.empty()) {
            m_contact.phones.push_back({std::move(number), property.Kind(), property.Preference()});
            m_phoneGroups.push_back(property.Group());
        }
    } else {
        m_labels.push_back({property.Group(), KindOfLabel(property.Text(raw, codec))});
    }
}

bool CVCardContact::Take(RawContact& contact)
{
    for (size_t i = 0; i < m_contact.phones.size(); ++i) {
        m_contact.phones[i].kind = LabelledKind(m_phoneGroups[i], m_contact.phones[i].kind);
    }
    if (IsBlankText(m_contact.given) && IsBlankText(m_contact.family) && IsBlankText(m_contact.formatted) &&
        IsBlankText(m_contact.company) && m_contact.phones.empty()) {
        return false;
    }
    contact = std::move(m_contact);
    return true;
}

// 4.0 writes telephones as "tel:" URIs; an ";ext=" part stays, so that the
// number reads as one with an extension.
std::u16string CVCardContact::NumberOf(const std::u16string& value)
{
    const std::u16string trimmed = TrimBlanks(value);
    return StartsWithNoCase(trimmed, "tel:") ? TrimBlanks(trimmed.substr(4)) : trimmed;
}

PhoneKind CVCardContact::LabelledKind(const std::u16string& group, PhoneKind kind) const
{
    for (const Label& label : m_labels) {
        if (!group.empty() && label.group == group) {
            kind = Stronger(kind, label.kind);
        }
    }
    return kind;
}
