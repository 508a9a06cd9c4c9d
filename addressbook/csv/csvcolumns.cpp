#include "addressbook/csv/csvcolumns.h"

#include "addressbook/csv/formulaguard.h"
#include "addressbook/text/asciitext.h"

namespace {

size_t CountDigits(const std::u16string& text)
{
    size_t nDigits = 0;
    for (char16_t ch : text) {
        nDigits += ch >= u'0' && ch <= u'9' ? 1 : 0;
    }
    return nDigits;
}

// Google's "Phone 2 - Value": the number between "Phone " and " - ", and what
// follows it.
bool SplitPhoneColumn(const std::u16string& cell, std::u16string& key, std::u16string& part)
{
    if (!StartsWithNoCase(cell, "Phone ")) {
        return false;
    }
    const size_t dash = cell.find(u" - ", 6);
    if (dash == std::u16string::npos || dash == 6) {
        return false;
    }
    key = cell.substr(6, dash - 6);
    part = cell.substr(dash + 3);
    return CountDigits(key) == key.size();
}

// Google joins several numbers of one kind with " ::: ".
std::u16string FirstOfJoined(const std::u16string& value)
{
    return TrimBlanks(value.substr(0, value.find(u" ::: ")));
}

}  // namespace

size_t CCsvColumns::CountKnown(const std::vector<std::u16string>& header)
{
    size_t nKnown = 0;
    std::u16string key;
    for (const std::u16string& cell : header) {
        nKnown += RoleOf(cell, key) != Role::None ? 1 : 0;
    }
    return nKnown;
}

bool CCsvColumns::LooksLikeData(const std::vector<std::u16string>& record)
{
    return record.size() >= 3 && (CountDigits(record[2]) >= 3 || IsBlankText(record[2]));
}

bool CCsvColumns::IsHeader(const std::vector<std::u16string>& record)
{
    const bool bNumberInThird = record.size() >= 3 && CountDigits(record[2]) >= 3;
    return !bNumberInThird && CountKnown(record) > 0;
}

void CCsvColumns::UseHeader(const std::vector<std::u16string>& header)
{
    m_bSkipHeader = true;
    m_wanted.assign(header.size(), false);
    m_values.assign(header.size(), std::u16string());
    std::vector<std::pair<std::u16string, size_t>> types;
    std::vector<std::pair<std::u16string, size_t>> values;
    for (size_t nColumn = 0; nColumn < header.size(); ++nColumn) {
        std::u16string key;
        const Role role = RoleOf(header[nColumn], key);
        SetRole(nColumn, role);
        if (role == Role::Phone || role == Role::PhoneValue) {
            m_phones.push_back(nColumn);
        }
        if (role == Role::PhoneType) {
            types.emplace_back(key, nColumn);
        } else if (role == Role::PhoneValue) {
            values.emplace_back(key, nColumn);
        }
    }
    for (const auto& type : types) {
        for (const auto& value : values) {
            if (type.first == value.first) {
                m_typedPhones.emplace_back(type.second, value.second);
            }
        }
    }
}

void CCsvColumns::UseDefaultColumns()
{
    m_wanted.assign(3, true);
    m_values.assign(3, std::u16string());
    m_nFirst = 0;
    m_nLast = 1;
    m_nMobile = 2;
}

bool CCsvColumns::WantsColumn(size_t nColumn) const
{
    return nColumn < m_wanted.size() && m_wanted[nColumn];
}

void CCsvColumns::OnField(size_t nColumn, std::u16string& value)
{
    m_values[nColumn] = UnguardFormula(value);
}

void CCsvColumns::OnRecord(unsigned nLine, size_t)
{
    if (m_bSkipHeader) {
        m_bSkipHeader = false;
    } else {
        RawContact contact;
        contact.given = Value(m_nFirst);
        contact.family = Value(m_nLast);
        contact.formatted = Value(m_nFormatted);
        contact.number = NumberOfRecord();
        contact.nLine = nLine;
        if (!contact.given.empty() || !contact.family.empty() || !contact.formatted.empty() ||
            !contact.number.empty()) {
            m_contacts.push_back(std::move(contact));
        }
    }
    for (std::u16string& value : m_values) {
        value.clear();
    }
}

CCsvColumns::Role CCsvColumns::RoleOf(const std::u16string& cell, std::u16string& phoneKey)
{
    const std::u16string name = TrimBlanks(cell);
    static const std::pair<const char*, Role> kNames[] = {
        {"First Name", Role::First},       {"Given Name", Role::First},     {"Last Name", Role::Last},
        {"Family Name", Role::Last},       {"Name", Role::Formatted},       {"Mobile Phone", Role::Mobile},
        {"Mobile Number", Role::Mobile},   {"Business Phone", Role::Phone}, {"Home Phone", Role::Phone}};
    for (const auto& known : kNames) {
        if (EqualsNoCase(name, known.first)) {
            return known.second;
        }
    }
    std::u16string part;
    if (!SplitPhoneColumn(name, phoneKey, part)) {
        return Role::None;
    }
    if (EqualsNoCase(part, "Type") || EqualsNoCase(part, "Label")) {
        return Role::PhoneType;
    }
    return EqualsNoCase(part, "Value") ? Role::PhoneValue : Role::None;
}

// Google marks the primary number's type with "* ".
bool CCsvColumns::IsMobileType(const std::u16string& type)
{
    std::u16string bare = TrimBlanks(type);
    if (!bare.empty() && bare[0] == u'*') {
        bare = TrimBlanks(bare.substr(1));
    }
    return EqualsNoCase(bare, "Mobile");
}

size_t* CCsvColumns::SingleColumnOf(Role role)
{
    switch (role) {
    case Role::First:
        return &m_nFirst;
    case Role::Last:
        return &m_nLast;
    case Role::Formatted:
        return &m_nFormatted;
    case Role::Mobile:
        return &m_nMobile;
    default:
        return nullptr;
    }
}

// The first column of a name or the mobile number counts; later ones are not read.
void CCsvColumns::SetRole(size_t nColumn, Role role)
{
    if (role == Role::None) {
        return;
    }
    size_t* pnColumn = SingleColumnOf(role);
    if (pnColumn != nullptr) {
        if (*pnColumn != kNone) {
            return;
        }
        *pnColumn = nColumn;
    }
    m_wanted[nColumn] = true;
}

std::u16string CCsvColumns::NumberOfRecord() const
{
    if (!IsBlankText(Value(m_nMobile))) {
        return FirstOfJoined(Value(m_nMobile));
    }
    for (const auto& typed : m_typedPhones) {
        if (IsMobileType(Value(typed.first)) && !IsBlankText(Value(typed.second))) {
            return FirstOfJoined(Value(typed.second));
        }
    }
    for (size_t nColumn : m_phones) {
        if (!IsBlankText(Value(nColumn))) {
            return FirstOfJoined(Value(nColumn));
        }
    }
    return std::u16string();
}

const std::u16string& CCsvColumns::Value(size_t nColumn) const
{
    static const std::u16string kEmpty;
    return nColumn < m_values.size() ? m_values[nColumn] : kEmpty;
}
