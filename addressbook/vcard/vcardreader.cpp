#include "addressbook/vcard/vcardreader.h"

#include "addressbook/addressbooklimits.h"
#include "addressbook/text/asciitext.h"

CVCardReader::CVCardReader(AnsiDecoder decodeAnsi, unsigned nFirstLine, std::vector<RawContact>& contacts)
    : m_decodeAnsi(decodeAnsi), m_contacts(contacts), m_nLine(nFirstLine), m_nContentLine(nFirstLine)
{
}

void CVCardReader::Consume(const char16_t* pch, size_t cch)
{
    for (size_t i = 0; i < cch; ++i) {
        OnChar(pch[i]);
    }
}

void CVCardReader::Finish()
{
    EndContentLine();
    // A last card without its END still gives its contact.
    if (m_bInCard) {
        EndCard();
    }
}

void CVCardReader::OnChar(char16_t ch)
{
    if (m_bLineEndPending) {
        m_bLineEndPending = false;
        if (m_bSoftBreak) {
            m_bSoftBreak = false;
        } else if (ch == u' ' || ch == u'\t') {
            return;  // a folded line: the line end and this one blank are nothing
        } else {
            EndContentLine();
        }
    }
    if (ch == u'\n') {
        OnLineEnd();
    } else if (m_property) {
        OnValueChar(ch);
    } else {
        OnHeaderChar(ch);
    }
}

void CVCardReader::OnLineEnd()
{
    ++m_nLine;
    m_bLineEndPending = true;
    // Quoted-printable ends a line with "=" where the value goes on.
    m_bSoftBreak = m_property && m_property->IsQuotedPrintable() && m_chLast == u'=';
    if (m_bSoftBreak && m_bKeep && !m_bCut) {
        m_value.pop_back();
    }
    m_chLast = 0;
}

void CVCardReader::OnHeaderChar(char16_t ch)
{
    if (ch == u'"') {
        m_bHeaderQuoted = !m_bHeaderQuoted;
    } else if (ch == u':' && !m_bHeaderQuoted) {
        StartValue();
        return;
    }
    if (m_header.size() < kMaxHeaderChars) {
        m_header.push_back(ch);
    } else {
        m_bHeaderTooLong = true;
    }
}

void CVCardReader::StartValue()
{
    m_property.emplace(m_header);
    const std::u16string& name = m_property->Name();
    if (m_bHeaderTooLong) {
        m_bKeep = false;
    } else if (name == u"BEGIN") {
        m_bKeep = true;
    } else {
        m_bKeep = m_bInCard && (name == u"END" || m_card.Wants(*m_property));
    }
}

void CVCardReader::OnValueChar(char16_t ch)
{
    m_chLast = ch;
    if (!m_bKeep) {
        return;
    }
    if (m_value.size() < kMaxValueChars) {
        m_value.push_back(ch);
    } else {
        m_bCut = true;
    }
}

void CVCardReader::EndContentLine()
{
    if (m_property && m_bKeep) {
        OnProperty();
    }
    m_nContentLine = m_nLine;
    m_header.clear();
    m_bHeaderQuoted = false;
    m_bHeaderTooLong = false;
    m_property.reset();
    m_bKeep = false;
    m_value.clear();
    m_bCut = false;
    m_bSoftBreak = false;
}

void CVCardReader::OnProperty()
{
    if (m_bCut) {
        m_value.push_back(kCutMark);
    }
    const std::u16string& name = m_property->Name();
    const bool bCard = EqualsNoCase(TrimBlanks(m_value), "VCARD");
    if (name == u"BEGIN" && bCard) {
        // A card begun inside another (2.1's AGENT) ends the outer one.
        if (m_bInCard) {
            EndCard();
        }
        m_card.Start(m_nContentLine);
        m_bInCard = true;
    } else if (name == u"END" && bCard) {
        EndCard();
    } else if (m_bInCard) {
        m_card.Add(*m_property, m_value, m_decodeAnsi);
    }
}

void CVCardReader::EndCard()
{
    RawContact contact;
    if (m_card.Take(contact)) {
        m_contacts.push_back(std::move(contact));
    }
    m_bInCard = false;
}
