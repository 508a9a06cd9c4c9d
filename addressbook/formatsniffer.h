#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/csv/csvcolumns.h"
#include "addressbook/text/textsink.h"

// Tells a vCard file from a CSV one by its content, holding back the first
// records until it knows, then hands all the text to the reader of that
// format. Leading blank lines are skipped without being held.
class CFormatSniffer : public ITextSink {
public:
    // Text held back at most while the format is not known.
    static constexpr size_t kMaxSampleChars = 1024 * 1024;

    CFormatSniffer(AnsiDecoder decodeAnsi, std::vector<RawContact>& contacts);

    void Consume(const char16_t* pch, size_t cch) override;
    void Finish() override;

    // Empty until text other than blanks came; NotAnAddressBook or
    // UnknownColumns once the text was refused (the rest is then ignored).
    ReadError Error() const { return m_error; }
    bool IsRefused() const { return m_stage == Stage::Refused; }
    AddressBookFormat Format() const { return m_format; }

private:
    enum class Stage { Blank, Sample, Reading, Refused };

    size_t SkipBlankLines(const char16_t* pch, size_t cch);
    void AddToSample(const char16_t* pch, size_t cch);
    void Decide(bool bWhole);
    bool BeginsVCard() const;
    void StartCsv(bool bWhole);
    void StartReader(std::unique_ptr<ITextSink> pReader, AddressBookFormat format);
    void Refuse(ReadError error);

    AnsiDecoder m_decodeAnsi;
    std::vector<RawContact>& m_contacts;
    Stage m_stage = Stage::Blank;
    ReadError m_error = ReadError::Empty;
    AddressBookFormat m_format = AddressBookFormat::VCard;
    // The line the sample starts on.
    unsigned m_nLine = 1;
    // From the start of the first line that is not blank.
    std::u16string m_sample;
    bool m_bFirstLineEnded = false;
    bool m_bSampleInQuotes = false;
    bool m_bRecordHasText = false;
    size_t m_nSampleRecords = 0;
    std::unique_ptr<CCsvColumns> m_pColumns;
    std::unique_ptr<ITextSink> m_pReader;
};
