#pragma once

#include <string>

// Scans one nesting level of a details document for its next element, by plain byte search.
// Works in place on the caller's text: every index is relative to it, and the index pairs are
// inclusive ranges with -1 meaning none. Nothing is copied until an accessor asks for it.
class CXmlParserNode
{
public:
    CXmlParserNode();
    CXmlParserNode(const CXmlParserNode&) = delete;
    CXmlParserNode& operator=(const CXmlParserNode&) = delete;

    // Loads a level's text and scans its first element; false when there is none.
    bool FindNext(const char* pText, int nLength);

    int GetId() const { return m_nId; }
    std::string GetName() const;
    std::string GetAttributes() const;
    std::string GetContent() const;
    const char* GetContentStart(int& nContentLength) const;
    bool ContentContainsTag() const;
    // The text after the element just scanned, or null with length 0.
    const char* Rest(int& nRestLength) const;

private:
    static int RangeLength(int nFirst, int nLast);
    std::string RangeText(int nFirst, int nLast) const;
    int FindByte(int nFrom, char ch) const;
    int FindBytes(int nFrom, const std::string& sought) const;
    void ScanName(bool bSelfClosing);
    void ScanAttributes(bool bSelfClosing);
    bool FindEndTag();

    int m_nId;
    const char* m_pText;
    int m_nLength;
    int m_nPosition;
    int m_nTagStart;
    int m_nTagEnd;
    int m_nEndTagStart;
    int m_nEndTagEnd;
    int m_nNameFirst;
    int m_nNameLast;
    int m_nAttributesFirst;
    int m_nAttributesLast;
    int m_nContentFirst;
    int m_nContentLast;
};
