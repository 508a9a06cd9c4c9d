#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/csv/csvreader.h"

// Turns CSV records into contacts by the columns a header names (the header
// record itself is skipped), or by the three columns first name, last name,
// number of a file without one (two: name and number), or by the member's
// choice. Each column of the header is looked at once, and each record costs
// what its own fields do, whatever the header holds. Holds only the columns
// it uses.
class CCsvColumns : public ICsvSink {
public:
    explicit CCsvColumns(std::vector<RawContact>& contacts) : m_contacts(contacts) {}

    // How many of a header's cells name columns that are read.
    static size_t CountKnown(const std::vector<std::u16string>& header);
    // A first record whose third cell holds a number (or nothing) is data, and
    // one of two cells whose second holds a number, however short.
    static bool LooksLikeData(const std::vector<std::u16string>& record);
    // A record that names known columns, without a number where data has
    // one, is a header.
    static bool IsHeader(const std::vector<std::u16string>& record);

    // pChoice: the member's columns, in place of those the header gives.
    void UseHeader(const std::vector<std::u16string>& header, const CsvColumns* pChoice);
    // First name, last name, number; or, of two fields, name and number.
    void UseDefaultColumns(size_t nFields, const CsvColumns* pChoice);
    // The columns read for first name, last name and number.
    const CsvColumns& Columns() const { return m_columns; }

    bool WantsColumn(size_t nColumn) const override;
    void OnField(size_t nColumn, std::u16string& value) override;
    void OnRecord(unsigned nLine, size_t nFields, bool bUnclosedQuote) override;

private:
    // A telephone column; its kind, or the column of its "Phone N - Type".
    struct PhoneColumn {
        size_t nValue;
        size_t nType;
        PhoneKind kind;
    };

    void MapHeader(const std::vector<std::u16string>& header);
    void Choose(const CsvColumns* pChoice);
    void Want(size_t nColumn);
    void AddPhones(size_t nFields, RawContact& contact) const;
    const std::u16string& Value(size_t nColumn) const;

    std::vector<RawContact>& m_contacts;
    std::vector<bool> m_wanted;
    std::vector<std::u16string> m_values;
    // The columns that hold a value in the record being read.
    std::vector<size_t> m_filled;
    bool m_bSkipHeader = false;
    size_t m_nFirst = kNoColumn;
    size_t m_nLast = kNoColumn;
    size_t m_nFormatted = kNoColumn;
    size_t m_nCompany = kNoColumn;
    // By column, in the header's order.
    std::vector<PhoneColumn> m_phones;
    CsvColumns m_columns;
};
