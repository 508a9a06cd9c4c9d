#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/csv/csvreader.h"

// Turns CSV records into contacts by the columns a header names (the header
// record itself is skipped), or by the three columns first name, last name,
// number of a file without one. Holds only the columns it uses.
class CCsvColumns : public ICsvSink {
public:
    explicit CCsvColumns(std::vector<RawContact>& contacts) : m_contacts(contacts) {}

    // How many of a header's cells name columns that are read.
    static size_t CountKnown(const std::vector<std::u16string>& header);
    // A first record whose third cell holds a number (or nothing) is data.
    static bool LooksLikeData(const std::vector<std::u16string>& record);
    // A record that names known columns, and is not data, is a header.
    static bool IsHeader(const std::vector<std::u16string>& record);

    void UseHeader(const std::vector<std::u16string>& header);
    void UseDefaultColumns();

    bool WantsColumn(size_t nColumn) const override;
    void OnField(size_t nColumn, std::u16string& value) override;
    void OnRecord(unsigned nLine, size_t nFields) override;

private:
    enum class Role { None, First, Last, Formatted, Mobile, Phone, PhoneType, PhoneValue };

    static Role RoleOf(const std::u16string& cell, std::u16string& phoneKey);
    static bool IsMobileType(const std::u16string& type);
    size_t* SingleColumnOf(Role role);
    void SetRole(size_t nColumn, Role role);
    std::u16string NumberOfRecord() const;
    const std::u16string& Value(size_t nColumn) const;

    static constexpr size_t kNone = static_cast<size_t>(-1);

    std::vector<RawContact>& m_contacts;
    std::vector<bool> m_wanted;
    std::vector<std::u16string> m_values;
    bool m_bSkipHeader = false;
    size_t m_nFirst = kNone;
    size_t m_nLast = kNone;
    size_t m_nFormatted = kNone;
    size_t m_nMobile = kNone;
    // Any phone, in the header's order, for a record without a mobile number.
    std::vector<size_t> m_phones;
    // A "Phone N - Type" or "- Label" column and its "Phone N - Value" column.
    std::vector<std::pair<size_t, size_t>> m_typedPhones;
};
