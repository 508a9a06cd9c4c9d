#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Receives the fields of CSV records; only the columns it wants are held.
class ICsvSink {
public:
    virtual ~ICsvSink() = default;
    virtual bool WantsColumn(size_t nColumn) const = 0;
    // A wanted field as it ends; the sink may take the value.
    virtual void OnField(size_t nColumn, std::u16string& value) = 0;
    // A record ends: it began on line nLine and had nFields fields.
    // bUnclosedQuote: a quote of it ended with its line (QuoteRepairs).
    virtual void OnRecord(unsigned nLine, size_t nFields, bool bUnclosedQuote) = 0;
};

// The quotes that never closed in an earlier reading of the file, which end
// at the end of the line they opened on: those opened on the lines listed,
// and from nFromLine on (when not 0) every one.
struct QuoteRepairs {
    std::vector<unsigned> lines;
    unsigned nFromLine = 0;

    bool Ends(unsigned nQuoteLine) const
    {
        for (unsigned nLine : lines) {
            if (nLine == nQuoteLine) {
                return true;
            }
        }
        return nFromLine != 0 && nQuoteLine >= nFromLine;
    }
};

// Splits CSV text as it arrives into records and fields: RFC 4180 quoting
// (doubled quotes, line ends inside quotes), read leniently: blanks around a
// field outside its quotes go, a quote inside an unquoted field is a quote, a
// quote never closed runs to the end of the text, unless the repairs end it
// with its line. A blank line is no record.
// A wanted field longer than its bound, or past the bound of what one record
// keeps, is cut and ends with kCutMark.
class CCsvReader {
public:
    static constexpr size_t kMaxRecordChars = 256 * 1024;

    CCsvReader(char16_t separator, ICsvSink& sink, unsigned nFirstLine, size_t cchMaxField,
               const QuoteRepairs& repairs);

    void Consume(const char16_t* pch, size_t cch);
    // The end of the text: whatever is still open is completed.
    void Finish();
    // Inside a quoted field: the record seen so far is not whole.
    bool InQuotes() const { return m_state == State::Quoted; }
    // The line of a quote still open at the end of the text; 0 for none.
    unsigned UnclosedQuoteLine() const { return m_nUnclosedQuoteLine; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    void OnChar(char16_t ch);
    void OnFieldStartChar(char16_t ch);
    void OnQuoteInQuotedChar(char16_t ch);
    void Append(char16_t ch, bool bQuoted);
    void EndField(bool bEndsRecord);

    char16_t m_separator;
    ICsvSink& m_sink;
    const QuoteRepairs& m_repairs;
    unsigned m_nQuoteLine = 0;
    unsigned m_nUnclosedQuoteLine = 0;
    bool m_bRecordUnclosed = false;
    size_t m_cchMaxField;
    unsigned m_nLine;
    unsigned m_nRecordLine;
    bool m_bRecordStarted = false;
    size_t m_cchRecordKept = 0;
    size_t m_nColumn = 0;
    State m_state = State::FieldStart;

    bool m_bWanted;
    std::u16string m_field;
    // The field's characters up to here came from inside quotes: never trimmed.
    size_t m_cchQuoted = 0;
    bool m_bQuoted = false;
    bool m_bHasText = false;
    bool m_bCut = false;
};
