#include "addressbook/formatsniffer.h"

#include <algorithm>

#include "addressbook/addressbooklimits.h"
#include "addressbook/csv/csvdialect.h"
#include "addressbook/text/asciitext.h"
#include "addressbook/text/utf8.h"

CFormatSniffer::CFormatSniffer(const TextCodec& codec, const CsvColumns* pChoice, const QuoteRepairs& repairs,
                               std::vector<RawContact>& contacts)
    : m_codec(codec), m_pChoice(pChoice), m_repairs(repairs), m_contacts(contacts)
{
}

void CFormatSniffer::OnText(const char16_t* pch, size_t cch)
{
    if (m_stage == Stage::Blank) {
        const size_t nSkipped = SkipBlankLines(pch, cch);
        pch += nSkipped;
        cch -= nSkipped;
    }
    if (m_stage == Stage::Sample) {
        AddToSample(pch, cch);
        Decide(false);
    } else if (m_stage == Stage::Reading && m_pCsv) {
        m_pCsv->Consume(pch, cch);
    }
}

void CFormatSniffer::OnContentLine(const std::string& bytes, unsigned nLine, bool bCut)
{
    if (m_pVCard) {
        m_pVCard->OnContentLine(bytes, nLine, bCut);
    }
}

void CFormatSniffer::OnEnd()
{
    if (m_stage == Stage::Sample) {
        Decide(true);
    }
    if (m_stage == Stage::Reading && m_pCsv) {
        m_pCsv->Finish();
    } else if (m_stage == Stage::Reading && m_pVCard) {
        m_pVCard->Finish();
    }
}

// The blanks of the line in progress are kept: in a tab-separated file they
// are its first fields.
size_t CFormatSniffer::SkipBlankLines(const char16_t* pch, size_t cch)
{
    for (size_t i = 0; i < cch; ++i) {
        if (pch[i] == u'\n') {
            ++m_nLine;
            m_sample.clear();
        } else if (IsBlank(pch[i])) {
            if (m_sample.size() < kMaxValueChars) {
                m_sample.push_back(pch[i]);
            }
        } else {
            m_stage = Stage::Sample;
            return i;
        }
    }
    return cch;
}

// Counts the records of the sample as CSV would, by its quotes.
void CFormatSniffer::AddToSample(const char16_t* pch, size_t cch)
{
    m_sample.append(pch, cch);
    for (size_t i = 0; i < cch; ++i) {
        const char16_t ch = pch[i];
        m_bFirstLineEnded = m_bFirstLineEnded || ch == u'\n';
        if (ch == u'"') {
            m_bSampleInQuotes = !m_bSampleInQuotes;
            m_bRecordHasText = true;
        } else if (ch == u'\n' && !m_bSampleInQuotes) {
            m_nSampleRecords += m_bRecordHasText ? 1 : 0;
            m_bRecordHasText = false;
        } else if (!IsBlank(ch)) {
            m_bRecordHasText = true;
        }
    }
}

void CFormatSniffer::Decide(bool bWhole)
{
    const bool bFull = m_sample.size() >= kMaxSampleChars;
    if (!bWhole && !bFull && !m_bFirstLineEnded) {
        return;
    }
    if (!m_bSeparatorLineChecked && TakeSeparatorLine() && !bWhole) {
        return;
    }
    if (m_separator == 0 && BeginsVCard()) {
        StartVCard();
    } else if (bWhole || bFull || m_nSampleRecords >= CCsvDialect::kSampleRecords) {
        StartCsv(bWhole);
    }
}

// Excel's "sep=;" line names the separator and is no record.
bool CFormatSniffer::TakeSeparatorLine()
{
    m_bSeparatorLineChecked = true;
    const size_t cchLine = std::min(m_sample.find(u'\n'), m_sample.size());
    const std::u16string line = TrimBlanks(m_sample.substr(0, std::min<size_t>(cchLine, 16)));
    if (cchLine > 16 || line.size() != 5 || !StartsWithNoCase(line, "sep=")) {
        return false;
    }
    m_separator = line[4];
    const std::u16string rest = m_sample.substr(std::min(cchLine + 1, m_sample.size()));
    m_sample.clear();
    m_bFirstLineEnded = false;
    m_bSampleInQuotes = false;
    m_bRecordHasText = false;
    m_nSampleRecords = 0;
    ++m_nLine;
    AddToSample(rest.data(), rest.size());
    return true;
}

bool CFormatSniffer::BeginsVCard() const
{
    // Anything longer than the keyword and a few blanks is no BEGIN line.
    constexpr size_t kMaxBeginLine = 64;
    const std::u16string head = m_sample.substr(0, kMaxBeginLine + 1);
    const size_t cchLine = std::min(head.find(u'\n'), head.size());
    return cchLine <= kMaxBeginLine && EqualsNoCase(TrimBlanks(head.substr(0, cchLine)), "BEGIN:VCARD");
}

// The lines sampled so far become the vCard reader's first content lines.
void CFormatSniffer::StartVCard()
{
    m_pVCard = std::make_unique<CVCardReader>(m_codec, m_contacts);
    m_format = AddressBookFormat::VCard;
    m_error = ReadError::None;
    m_stage = Stage::Reading;
    size_t start = 0;
    for (unsigned nLine = m_nLine; start < m_sample.size(); ++nLine) {
        const size_t end = std::min(m_sample.find(u'\n', start), m_sample.size());
        std::string bytes;
        AppendUtf8(bytes, m_sample.substr(start, end - start));
        m_pVCard->OnContentLine(bytes, nLine, false);
        start = end + 1;
    }
    std::u16string().swap(m_sample);
}

void CFormatSniffer::StartCsv(bool bWhole)
{
    // The dialect is told as the file first read: a record a quote repair
    // cut short would look like another dialect's.
    CCsvDialect dialect;
    if (!CCsvDialect::Detect(m_sample, bWhole, m_separator, QuoteRepairs(), dialect)) {
        Refuse(ReadError::NotAnAddressBook);
        return;
    }
    m_format = AddressBookFormat::Csv;
    m_firstRecord = dialect.firstRecord;
    m_bHeader = dialect.bHeader;
    m_pColumns = std::make_unique<CCsvColumns>(m_contacts);
    if (dialect.bHeader) {
        m_pColumns->UseHeader(dialect.firstRecord, m_pChoice);
    } else if (CCsvColumns::LooksLikeData(dialect.firstRecord)) {
        m_pColumns->UseDefaultColumns(dialect.firstRecord.size(), m_pChoice);
    } else if (m_pChoice != nullptr) {
        // A header of unknown columns, read by the columns the member chose.
        m_bHeader = true;
        m_pColumns->UseHeader(dialect.firstRecord, m_pChoice);
    } else {
        Refuse(ReadError::UnknownColumns);
        return;
    }
    m_pCsv = std::make_unique<CCsvReader>(dialect.separator, *m_pColumns, m_nLine, kMaxValueChars, m_repairs);
    m_error = ReadError::None;
    m_stage = Stage::Reading;
    m_pCsv->Consume(m_sample.data(), m_sample.size());
    std::u16string().swap(m_sample);
}

void CFormatSniffer::Refuse(ReadError error)
{
    m_error = error;
    m_stage = Stage::Refused;
    std::u16string().swap(m_sample);
}
