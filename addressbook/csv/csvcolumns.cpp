#include "addressbook/csv/csvcolumns.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "addressbook/addressbooklimits.h"
#include "addressbook/csv/csvdialect.h"
#include "addressbook/csv/formulaguard.h"
#include "addressbook/csv/headernames.h"
#include "addressbook/numbers/phonelabel.h"
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

// Three digits or more, or digits with nothing but a number's punctuation
// ("12" as Copy writes it): never a header's "Phone 1 - Value".
bool HoldsNumber(const std::u16string& cell)
{
    const size_t nDigits = CountDigits(cell);
    const bool bOnlyNumber = std::all_of(cell.begin(), cell.end(), [](char16_t ch) {
        return (ch >= u'0' && ch <= u'9') || std::u16string_view(u" +-()./'").find(ch) != std::u16string_view::npos;
    });
    return nDigits >= 3 || (nDigits >= 1 && bOnlyNumber);
}

ColumnRole RoleOf(const std::u16string& cell)
{
    unsigned nIndex = 0;
    return RoleOfColumn(cell, nIndex);
}

// The first column of a role counts; later ones are not read.
void Claim(size_t& nSlot, size_t nColumn)
{
    nSlot = nSlot == kNoColumn ? nColumn : nSlot;
}

}  // namespace

size_t CCsvColumns::CountKnown(const std::vector<std::u16string>& header)
{
    return static_cast<size_t>(std::count_if(header.begin(), header.end(), [](const std::u16string& cell) {
        return RoleOf(cell) != ColumnRole::None;
    }));
}

bool CCsvColumns::LooksLikeData(const std::vector<std::u16string>& record)
{
    if (record.size() == 2) {
        return HoldsNumber(record[1]);
    }
    return record.size() >= 3 && (CountDigits(record[2]) >= 3 || IsBlankText(record[2]));
}

// Copy's "Mobile Phone<tab>07700 900123" is a contact, not a header.
bool CCsvColumns::IsHeader(const std::vector<std::u16string>& record)
{
    const bool bNumber =
        record.size() == 2 ? HoldsNumber(record[1]) : record.size() >= 3 && CountDigits(record[2]) >= 3;
    return !bNumber && CountKnown(record) > 0;
}

void CCsvColumns::UseHeader(const std::vector<std::u16string>& header, const CsvColumns* pChoice)
{
    m_bSkipHeader = true;
    MapHeader(header);
    Choose(pChoice);
}

// Copy's text has two: the name, whole, and the number.
void CCsvColumns::UseDefaultColumns(size_t nFields, const CsvColumns* pChoice)
{
    const bool bNameAndNumber = nFields == 2;
    m_nFirst = 0;
    m_nLast = bNameAndNumber ? kNoColumn : 1;
    const size_t nNumber = bNameAndNumber ? 1 : 2;
    m_phones.push_back({nNumber, kNoColumn, PhoneKind::Mobile});
    m_columns = {0, m_nLast, nNumber};
    Choose(pChoice);
}

// "Phone N - Type" and "Phone N - Value" are paired by their N, each column
// once: a header that repeats them costs no more than one that does not.
void CCsvColumns::MapHeader(const std::vector<std::u16string>& header)
{
    std::unordered_map<unsigned, size_t> typeColumns;
    std::vector<unsigned> valueIndexes;
    for (size_t nColumn = 0; nColumn < header.size(); ++nColumn) {
        unsigned nIndex = 0;
        switch (RoleOfColumn(header[nColumn], nIndex)) {
        case ColumnRole::First:
            Claim(m_nFirst, nColumn);
            break;
        case ColumnRole::Last:
            Claim(m_nLast, nColumn);
            break;
        case ColumnRole::Formatted:
            Claim(m_nFormatted, nColumn);
            break;
        case ColumnRole::Company:
            Claim(m_nCompany, nColumn);
            break;
        case ColumnRole::Mobile:
            m_phones.push_back({nColumn, kNoColumn, PhoneKind::Mobile});
            Claim(m_columns.nNumber, nColumn);
            break;
        case ColumnRole::Phone:
            m_phones.push_back({nColumn, kNoColumn, PhoneKind::Other});
            break;
        case ColumnRole::PhoneType:
            typeColumns.emplace(nIndex, nColumn);
            break;
        case ColumnRole::PhoneValue:
            m_phones.push_back({nColumn, kNoColumn, PhoneKind::Other});
            valueIndexes.resize(m_phones.size(), 0);
            valueIndexes.back() = nIndex + 1;
            break;
        case ColumnRole::None:
            break;
        }
    }
    valueIndexes.resize(m_phones.size(), 0);
    for (size_t i = 0; i < m_phones.size(); ++i) {
        const auto type = valueIndexes[i] != 0 ? typeColumns.find(valueIndexes[i] - 1) : typeColumns.end();
        m_phones[i].nType = type != typeColumns.end() ? type->second : kNoColumn;
    }
    m_columns.nFirst = m_nFirst;
    m_columns.nLast = m_nLast;
    if (m_columns.nNumber == kNoColumn && !m_phones.empty()) {
        m_columns.nNumber = m_phones.front().nValue;
    }
}

// A role the member set to another column reads that column alone.
void CCsvColumns::Choose(const CsvColumns* pChoice)
{
    if (pChoice != nullptr) {
        if (pChoice->nFirst != m_columns.nFirst) {
            m_nFirst = pChoice->nFirst;
        }
        if (pChoice->nLast != m_columns.nLast) {
            m_nLast = pChoice->nLast;
        }
        // The member named the column to text: the preview has no cause to
        // call its numbers not mobile ones.
        if (pChoice->nNumber != m_columns.nNumber) {
            m_phones.clear();
            if (pChoice->nNumber != kNoColumn) {
                m_phones.push_back({pChoice->nNumber, kNoColumn, PhoneKind::Mobile});
            }
        }
        m_columns = *pChoice;
    }
    for (size_t nColumn : {m_nFirst, m_nLast, m_nFormatted, m_nCompany}) {
        Want(nColumn);
    }
    for (const PhoneColumn& phone : m_phones) {
        Want(phone.nValue);
        Want(phone.nType);
    }
}

void CCsvColumns::Want(size_t nColumn)
{
    // Columns past the header's cells are never read.
    if (nColumn == kNoColumn || nColumn >= CCsvDialect::kMaxHeaderCells) {
        return;
    }
    if (nColumn >= m_wanted.size()) {
        m_wanted.resize(nColumn + 1, false);
        m_values.resize(nColumn + 1);
    }
    m_wanted[nColumn] = true;
}

bool CCsvColumns::WantsColumn(size_t nColumn) const
{
    return nColumn < m_wanted.size() && m_wanted[nColumn];
}

void CCsvColumns::OnField(size_t nColumn, std::u16string& value)
{
    m_values[nColumn] = UnguardFormula(value);
    m_filled.push_back(nColumn);
}

void CCsvColumns::OnRecord(unsigned nLine, size_t nFields, bool bUnclosedQuote)
{
    if (m_bSkipHeader) {
        m_bSkipHeader = false;
    } else {
        RawContact contact;
        contact.given = Value(m_nFirst);
        contact.family = Value(m_nLast);
        contact.formatted = Value(m_nFormatted);
        contact.company = Value(m_nCompany);
        AddPhones(nFields, contact);
        contact.nLine = nLine;
        contact.bUnclosedQuote = bUnclosedQuote;
        if (bUnclosedQuote || !contact.given.empty() || !contact.family.empty() || !contact.formatted.empty() ||
            !contact.company.empty() || !contact.phones.empty()) {
            m_contacts.push_back(std::move(contact));
        }
    }
    for (size_t nColumn : m_filled) {
        m_values[nColumn].clear();
    }
    m_filled.clear();
}

// Google marks the primary number's type with "* ".
void CCsvColumns::AddPhones(size_t nFields, RawContact& contact) const
{
    for (const PhoneColumn& phone : m_phones) {
        if (phone.nValue >= nFields || contact.phones.size() >= kMaxPhones) {
            break;
        }
        std::u16string number = TrimBlanks(Value(phone.nValue));
        if (number.empty()) {
            continue;
        }
        const std::u16string type = TrimBlanks(Value(phone.nType));
        const PhoneKind kind = phone.nType != kNoColumn ? KindOfLabel(type) : phone.kind;
        const unsigned char nPreference = !type.empty() && type[0] == u'*' ? 1 : 0;
        contact.phones.push_back({std::move(number), kind, nPreference});
    }
}

const std::u16string& CCsvColumns::Value(size_t nColumn) const
{
    static const std::u16string kEmpty;
    return nColumn < m_values.size() ? m_values[nColumn] : kEmpty;
}
