#include "addressbook/csv/csvreader.h"

#include "addressbook/addressbooklimits.h"
#include "addressbook/text/asciitext.h"

CCsvReader::CCsvReader(char16_t separator, ICsvSink& sink, unsigned nFirstLine, size_t cchMaxField,
                       const QuoteRepairs& repairs)
    : m_separator(separator),
      m_sink(sink),
      m_repairs(repairs),
      m_cchMaxField(cchMaxField),
      m_nLine(nFirstLine),
      m_nRecordLine(nFirstLine),
      m_bWanted(sink.WantsColumn(0))
{
}

void CCsvReader::Consume(const char16_t* pch, size_t cch)
{
    for (size_t i = 0; i < cch; ++i) {
        OnChar(pch[i]);
    }
}

void CCsvReader::Finish()
{
    if (m_state == State::Quoted && m_repairs.Ends(m_nQuoteLine)) {
        m_bRecordUnclosed = true;
    } else if (m_state == State::Quoted) {
        m_nUnclosedQuoteLine = m_nQuoteLine;
    }
    if (m_bRecordStarted) {
        EndField(true);
    }
}

void CCsvReader::OnChar(char16_t ch)
{
    if (!m_bRecordStarted) {
        m_bRecordStarted = true;
        m_nRecordLine = m_nLine;
    }
    switch (m_state) {
    case State::FieldStart:
        OnFieldStartChar(ch);
        break;
    case State::Unquoted:
        if (ch == m_separator || ch == u'\n') {
            EndField(ch == u'\n');
        } else {
            Append(ch, false);
        }
        break;
    case State::Quoted:
        if (ch == u'"') {
            m_state = State::QuoteInQuoted;
        } else if (ch == u'\n' && m_repairs.Ends(m_nQuoteLine)) {
            m_bRecordUnclosed = true;
            EndField(true);
        } else {
            Append(ch, true);
        }
        break;
    case State::QuoteInQuoted:
        OnQuoteInQuotedChar(ch);
        break;
    }
    if (ch == u'\n') {
        ++m_nLine;
    }
}

void CCsvReader::OnFieldStartChar(char16_t ch)
{
    if (ch == m_separator || ch == u'\n') {
        EndField(ch == u'\n');
    } else if (ch == u'"') {
        m_state = State::Quoted;
        m_bQuoted = true;
        m_nQuoteLine = m_nLine;
    } else if (!IsBlank(ch)) {
        m_state = State::Unquoted;
        Append(ch, false);
    }
}

void CCsvReader::OnQuoteInQuotedChar(char16_t ch)
{
    if (ch == u'"') {
        m_state = State::Quoted;
        Append(ch, true);
    } else if (ch == m_separator || ch == u'\n') {
        EndField(ch == u'\n');
    } else {
        // Text after the closing quote joins the field, as spreadsheets read it.
        m_state = State::Unquoted;
        Append(ch, false);
    }
}

void CCsvReader::Append(char16_t ch, bool bQuoted)
{
    m_bHasText = m_bHasText || !IsBlank(ch);
    if (!m_bWanted) {
        return;
    }
    if (m_field.size() >= m_cchMaxField || m_cchRecordKept >= kMaxRecordChars) {
        m_bCut = true;
        return;
    }
    m_field.push_back(ch);
    ++m_cchRecordKept;
    if (bQuoted) {
        m_cchQuoted = m_field.size();
    }
}

void CCsvReader::EndField(bool bEndsRecord)
{
    const bool bBlankLine = bEndsRecord && m_nColumn == 0 && !m_bQuoted && !m_bHasText;
    if (m_bWanted && !bBlankLine) {
        size_t cch = m_field.size();
        while (cch > m_cchQuoted && IsBlank(m_field[cch - 1])) {
            --cch;
        }
        m_field.resize(cch);
        if (m_bCut) {
            m_field.push_back(kCutMark);
        }
        m_sink.OnField(m_nColumn, m_field);
    }
    m_field.clear();
    m_cchQuoted = 0;
    m_bQuoted = false;
    m_bHasText = false;
    m_bCut = false;
    m_state = State::FieldStart;
    ++m_nColumn;
    if (bEndsRecord) {
        if (!bBlankLine) {
            m_sink.OnRecord(m_nRecordLine, m_nColumn, m_bRecordUnclosed);
        }
        m_bRecordUnclosed = false;
        m_nColumn = 0;
        m_bRecordStarted = false;
        m_cchRecordKept = 0;
    }
    m_bWanted = m_sink.WantsColumn(m_nColumn);
}
