#include "addressbook/formatsniffer.h"

#include <algorithm>

#include "addressbook/addressbooklimits.h"
#include "addressbook/csv/csvdialect.h"
#include "addressbook/csv/csvreader.h"
#include "addressbook/text/asciitext.h"
#include "addressbook/vcard/vcardreader.h"

CFormatSniffer::CFormatSniffer(AnsiDecoder decodeAnsi, std::vector<RawContact>& contacts)
    : m_decodeAnsi(decodeAnsi), m_contacts(contacts)
{
}

void CFormatSniffer::Consume(const char16_t* pch, size_t cch)
{
    if (m_stage == Stage::Blank) {
        const size_t nSkipped = SkipBlankLines(pch, cch);
        pch += nSkipped;
        cch -= nSkipped;
    }
    if (m_stage == Stage::Sample) {
        AddToSample(pch, cch);
        Decide(false);
    } else if (m_stage == Stage::Reading) {
        m_pReader->Consume(pch, cch);
    }
}

void CFormatSniffer::Finish()
{
    if (m_stage == Stage::Sample) {
        Decide(true);
    }
    if (m_stage == Stage::Reading) {
        m_pReader->Finish();
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
    if (BeginsVCard()) {
        StartReader(std::make_unique<CVCardReader>(m_decodeAnsi, m_nLine, m_contacts), AddressBookFormat::VCard);
    } else if (bWhole || bFull || m_nSampleRecords >= CCsvDialect::kSampleRecords) {
        StartCsv(bWhole);
    }
}

bool CFormatSniffer::BeginsVCard() const
{
    // Anything longer than the keyword and a few blanks is no BEGIN line.
    constexpr size_t kMaxBeginLine = 64;
    const std::u16string head = m_sample.substr(0, kMaxBeginLine + 1);
    const size_t cchLine = std::min(head.find(u'\n'), head.size());
    return cchLine <= kMaxBeginLine && EqualsNoCase(TrimBlanks(head.substr(0, cchLine)), "BEGIN:VCARD");
}

void CFormatSniffer::StartCsv(bool bWhole)
{
    CCsvDialect dialect;
    if (!CCsvDialect::Detect(m_sample, bWhole, dialect)) {
        Refuse(ReadError::NotAnAddressBook);
        return;
    }
    m_pColumns = std::make_unique<CCsvColumns>(m_contacts);
    if (dialect.bHeader) {
        m_pColumns->UseHeader(dialect.firstRecord);
    } else if (CCsvColumns::LooksLikeData(dialect.firstRecord)) {
        m_pColumns->UseDefaultColumns();
    } else {
        Refuse(ReadError::UnknownColumns);
        return;
    }
    StartReader(std::make_unique<CCsvReader>(dialect.separator, *m_pColumns, m_nLine, kMaxValueChars),
                AddressBookFormat::Csv);
}

void CFormatSniffer::StartReader(std::unique_ptr<ITextSink> pReader, AddressBookFormat format)
{
    m_pReader = std::move(pReader);
    m_format = format;
    m_error = ReadError::None;
    m_stage = Stage::Reading;
    m_pReader->Consume(m_sample.data(), m_sample.size());
    std::u16string().swap(m_sample);
}

void CFormatSniffer::Refuse(ReadError error)
{
    m_error = error;
    m_stage = Stage::Refused;
    std::u16string().swap(m_sample);
}
