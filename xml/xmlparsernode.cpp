#include "xml/xmlparsernode.h"

#include <cstring>

namespace {

// Process-wide and never reset, so the trace numbers keep rising from one document to the next.
// Unsigned so that it wraps instead of overflowing after 2^31 scanners.
unsigned int g_nNextParserNodeId = 0;

}  // namespace

CXmlParserNode::CXmlParserNode()
    : m_nId(static_cast<int>(g_nNextParserNodeId++)),
      m_pText(nullptr),
      m_nLength(0),
      m_nPosition(0),
      m_nTagStart(-1),
      m_nTagEnd(-1),
      m_nEndTagStart(-1),
      m_nEndTagEnd(-1),
      m_nNameFirst(-1),
      m_nNameLast(-1),
      m_nAttributesFirst(-1),
      m_nAttributesLast(-1),
      m_nContentFirst(-1),
      m_nContentLast(-1)
{
}

bool CXmlParserNode::FindNext(const char* pText, int nLength)
{
    if (pText == nullptr || nLength < 1) {
        return false;
    }
    m_pText = pText;
    m_nLength = nLength;
    m_nPosition = 0;

    m_nTagStart = FindByte(m_nPosition, '<');
    if (m_nTagStart < 0) {
        return false;
    }
    // A ">" inside a quoted attribute value ends the tag too: quotes are not interpreted.
    m_nTagEnd = FindByte(m_nTagStart, '>');
    if (m_nTagEnd < 0) {
        return false;
    }
    const bool bSelfClosing = m_pText[m_nTagEnd - 1] == '/';
    ScanName(bSelfClosing);
    ScanAttributes(bSelfClosing);
    m_nContentFirst = -1;
    m_nContentLast = -1;
    if (bSelfClosing) {
        m_nEndTagStart = -1;
        m_nEndTagEnd = -1;
        m_nPosition = m_nTagEnd + 1;
        return true;
    }
    if (!FindEndTag()) {
        return false;
    }
    m_nContentFirst = m_nTagEnd + 1;
    m_nContentLast = m_nEndTagStart - 1;
    const int nNextTag = FindByte(m_nEndTagEnd, '<');
    m_nPosition = nNextTag >= 0 ? nNextTag : m_nEndTagEnd;
    return true;
}

std::string CXmlParserNode::GetName() const { return RangeText(m_nNameFirst, m_nNameLast); }

std::string CXmlParserNode::GetAttributes() const { return RangeText(m_nAttributesFirst, m_nAttributesLast); }

std::string CXmlParserNode::GetContent() const { return RangeText(m_nContentFirst, m_nContentLast); }

const char* CXmlParserNode::GetContentStart(int& nContentLength) const
{
    nContentLength = RangeLength(m_nContentFirst, m_nContentLast);
    return nContentLength > 0 ? m_pText + m_nContentFirst : nullptr;
}

bool CXmlParserNode::ContentContainsTag() const
{
    int nContentLength = 0;
    const char* pContent = GetContentStart(nContentLength);
    return pContent != nullptr && std::memchr(pContent, '<', static_cast<size_t>(nContentLength)) != nullptr;
}

const char* CXmlParserNode::Rest(int& nRestLength) const
{
    if (m_pText == nullptr || m_nLength <= 0 || m_nPosition < 0 || m_nPosition > m_nLength) {
        nRestLength = 0;
        return nullptr;
    }
    nRestLength = m_nLength - m_nPosition;
    return m_pText + m_nPosition;
}

int CXmlParserNode::RangeLength(int nFirst, int nLast)
{
    if (nFirst < 0 || nLast < 0 || nLast < nFirst) {
        return 0;
    }
    return nLast - nFirst + 1;
}

std::string CXmlParserNode::RangeText(int nFirst, int nLast) const
{
    const int nRangeLength = RangeLength(nFirst, nLast);
    if (nRangeLength == 0) {
        return std::string();
    }
    return std::string(m_pText + nFirst, static_cast<size_t>(nRangeLength));
}

// Index of the first ch in [nFrom, length), or -1.
int CXmlParserNode::FindByte(int nFrom, char ch) const
{
    if (nFrom < 0 || nFrom >= m_nLength) {
        return -1;
    }
    const void* pFound = std::memchr(m_pText + nFrom, ch, static_cast<size_t>(m_nLength - nFrom));
    return pFound != nullptr ? static_cast<int>(static_cast<const char*>(pFound) - m_pText) : -1;
}

// Index of the first occurrence of sought wholly inside [nFrom, length), or -1.
int CXmlParserNode::FindBytes(int nFrom, const std::string& sought) const
{
    const int nSoughtLength = static_cast<int>(sought.size());
    const int nLastStart = m_nLength - nSoughtLength;
    for (int nAt = nFrom; nAt >= 0 && nAt <= nLastStart; ++nAt) {
        const void* pFound = std::memchr(m_pText + nAt, sought[0], static_cast<size_t>(nLastStart - nAt + 1));
        if (pFound == nullptr) {
            return -1;
        }
        nAt = static_cast<int>(static_cast<const char*>(pFound) - m_pText);
        if (std::memcmp(m_pText + nAt + 1, sought.data() + 1, sought.size() - 1) == 0) {
            return nAt;
        }
    }
    return -1;
}

// Only the space separates the name from the attributes: a tab or line break stays in the name.
void CXmlParserNode::ScanName(bool bSelfClosing)
{
    m_nNameFirst = m_nTagStart + 1;
    m_nNameLast = bSelfClosing ? m_nTagEnd - 2 : m_nTagEnd - 1;
    const int nNameLength = RangeLength(m_nNameFirst, m_nNameLast);
    if (nNameLength > 0) {
        const void* pSpace = std::memchr(m_pText + m_nNameFirst, ' ', static_cast<size_t>(nNameLength));
        if (pSpace != nullptr) {
            m_nNameLast = static_cast<int>(static_cast<const char*>(pSpace) - m_pText) - 1;
        }
    }
}

// The attribute text is kept raw, starting one byte after the name; the "/" of a
// self-closing tag is never part of it.
void CXmlParserNode::ScanAttributes(bool bSelfClosing)
{
    m_nAttributesFirst = -1;
    m_nAttributesLast = -1;
    const int nNameLength = RangeLength(m_nNameFirst, m_nNameLast);
    const int nTagLength = m_nTagEnd - m_nTagStart + 1;
    if (nNameLength == 0 || nTagLength - nNameLength <= 3) {
        return;
    }
    m_nAttributesFirst = m_nNameLast + 2;
    m_nAttributesLast = bSelfClosing ? m_nTagEnd - 2 : m_nTagEnd - 1;
}

// Nesting is not counted: the first matching end tag closes the element.
bool CXmlParserNode::FindEndTag()
{
    const std::string endTag = "</" + GetName() + ">";
    m_nEndTagStart = FindBytes(m_nTagEnd, endTag);
    if (m_nEndTagStart < 0) {
        m_nEndTagEnd = -1;
        return false;
    }
    m_nEndTagEnd = m_nEndTagStart + static_cast<int>(endTag.size());
    return true;
}
