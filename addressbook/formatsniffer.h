#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/csv/csvcolumns.h"
#include "addressbook/csv/csvreader.h"
#include "addressbook/text/linesink.h"
#include "addressbook/vcard/vcardreader.h"

// Tells a vCard file from a CSV one by its content, holding back the first
// records until it knows, then hands all the text to the reader of that
// format. Leading blank lines are skipped without being held, and Excel's
// "sep=;" first line names the separator.
class CFormatSniffer : public ILineSink {
public:
    // Text held back at most while the format is not known.
    static constexpr size_t kMaxSampleChars = 1024 * 1024;

    CFormatSniffer(const TextCodec& codec, const CsvColumns* pChoice, const QuoteRepairs& repairs,
                   std::vector<RawContact>& contacts);

    bool WantsContentLines() const override { return m_pVCard != nullptr; }
    void OnText(const char16_t* pch, size_t cch) override;
    void OnContentLine(const std::string& bytes, unsigned nLine, bool bCut) override;
    void OnEnd() override;

    // Empty until text other than blanks came; NotAnAddressBook or
    // UnknownColumns once the text was refused (the rest is then ignored).
    ReadError Error() const { return m_error; }
    bool IsRefused() const { return m_stage == Stage::Refused; }
    AddressBookFormat Format() const { return m_format; }
    // CSV: the first record's cells, whether they are a header, the columns read.
    const std::vector<std::u16string>& FirstRecord() const { return m_firstRecord; }
    bool HasHeader() const { return m_bHeader; }
    CsvColumns Columns() const { return m_pColumns ? m_pColumns->Columns() : CsvColumns(); }
    // The line of a quote the CSV text never closed; 0 for none.
    unsigned UnclosedQuoteLine() const { return m_pCsv ? m_pCsv->UnclosedQuoteLine() : 0; }

private:
    enum class Stage { Blank, Sample, Reading, Refused };

    size_t SkipBlankLines(const char16_t* pch, size_t cch);
    void AddToSample(const char16_t* pch, size_t cch);
    void Decide(bool bWhole);
    bool TakeSeparatorLine();
    bool BeginsVCard() const;
    void StartVCard();
    void StartCsv(bool bWhole);
    void Refuse(ReadError error);

    const TextCodec& m_codec;
    const CsvColumns* m_pChoice;
    const QuoteRepairs& m_repairs;
    std::vector<RawContact>& m_contacts;
    Stage m_stage = Stage::Blank;
    ReadError m_error = ReadError::Empty;
    AddressBookFormat m_format = AddressBookFormat::VCard;
    // The line the sample starts on.
    unsigned m_nLine = 1;
    // From the start of the first line that is not blank.
    std::u16string m_sample;
    bool m_bFirstLineEnded = false;
    bool m_bSeparatorLineChecked = false;
    char16_t m_separator = 0;
    bool m_bSampleInQuotes = false;
    bool m_bRecordHasText = false;
    size_t m_nSampleRecords = 0;
    std::vector<std::u16string> m_firstRecord;
    bool m_bHeader = false;
    std::unique_ptr<CCsvColumns> m_pColumns;
    std::unique_ptr<CCsvReader> m_pCsv;
    std::unique_ptr<CVCardReader> m_pVCard;
};
