#include "xml/xmlstream.h"

#include <cstring>

#include "xml/tracewriter.h"
#include "xml/xmlparsernode.h"

namespace {

void TraceLine(const char* pszPrefix, const std::string& text = std::string())
{
    Trace().WriteLine(pszPrefix, text.data(), text.size());
}

// The document is printed up to its first NUL but never past nLength.
void TraceDocumentText(const char* pText, int nLength)
{
    const void* pNul = std::memchr(pText, '\0', static_cast<size_t>(nLength));
    const size_t cbText = pNul != nullptr ? static_cast<size_t>(static_cast<const char*>(pNul) - pText)
                                          : static_cast<size_t>(nLength);
    Trace().WriteLine("", pText, cbText);
}

}  // namespace

CXmlStream::CXmlStream() : m_pReceiver(nullptr) {}

void CXmlStream::SetReceiver(IXmlStreamReceiver* pReceiver) { m_pReceiver = pReceiver; }

bool CXmlStream::ParseDocument(const char* pText, int nLength)
{
    if (pText == nullptr || nLength <= 0) {
        return false;
    }
    TraceLine("----- parse document -----");
    TraceDocumentText(pText, nLength);
    TraceLine("");
    TraceLine("----- start parsing -----");
    TraceLine("");
    CXmlParserNode parserNode;
    const bool bResult = ParseNode(parserNode, pText, nLength, 1);
    // Nothing traced stays behind a document: a message box or the end of
    // the program may follow.
    Trace().Flush();
    return bResult;
}

bool CXmlStream::ParseNode(CXmlParserNode& parserNode, const char* pText, int nLength, int nDepth)
{
    TraceLine("parse node: ", std::to_string(parserNode.GetId()));
    TraceLine("");
    while (parserNode.FindNext(pText, nLength)) {
        if (nDepth >= kMaxNestingDepth) {
            break;
        }
        if (parserNode.ContentContainsTag()) {
            ParseChildNode(parserNode, nDepth);
        } else {
            RaiseElement(parserNode.GetName(), parserNode.GetContent(), parserNode.GetAttributes());
        }
        pText = parserNode.Rest(nLength);
    }
    return true;
}

// Any "<" in the content, even in plain text, makes the element a node scanned one level down.
void CXmlStream::ParseChildNode(const CXmlParserNode& parserNode, int nDepth)
{
    RaiseNode(parserNode.GetName(), parserNode.GetAttributes());
    int nValueLength = 0;
    const char* pValue = parserNode.GetContentStart(nValueLength);
    CXmlParserNode childNode;
    ParseNode(childNode, pValue, nValueLength, nDepth + 1);
}

void CXmlStream::RaiseNode(const std::string& name, const std::string& attributes)
{
    if (name.empty()) {
        return;
    }
    TraceLine("Found Node: ");
    TraceLine("name: ", name);
    if (!attributes.empty()) {
        TraceLine("attributes: ", attributes);
    }
    TraceLine("");
    if (m_pReceiver != nullptr) {
        m_pReceiver->OnFoundNode(name.c_str(), attributes.c_str());
    }
}

void CXmlStream::RaiseElement(const std::string& name, const std::string& value, const std::string& attributes)
{
    if (name.empty()) {
        return;
    }
    TraceLine("Found Element: ");
    TraceLine("name: ", name);
    if (!value.empty()) {
        TraceLine("value: ", value);
    }
    if (!attributes.empty()) {
        TraceLine("attributes: ", attributes);
    }
    TraceLine("");
    if (m_pReceiver != nullptr) {
        m_pReceiver->OnFoundElement(name.c_str(), value.c_str(), attributes.c_str());
    }
}
