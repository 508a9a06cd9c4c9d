#pragma once

#include <string>

#include "xml/xmlstreamreceiver.h"

class CXmlParserNode;

// Reads the service's details document: finds tags by plain substring search over the raw
// bytes and reports nodes and leaf elements, in document order, to the receiver. Writes a
// fixed diagnostic trace to standard output. Keeps nothing that outlives a call.
class CXmlStream
{
public:
    // Deepest nesting level parsed; an element found at this level ends its level
    // like malformed input, so hostile nesting cannot exhaust the stack.
    static constexpr int kMaxNestingDepth = 256;

    CXmlStream();
    virtual ~CXmlStream() = default;

    // Not owned; null reports nothing but still scans and traces.
    void SetReceiver(IXmlStreamReceiver* pReceiver);
    // False only for a null text or a length <= 0; never reads at or beyond nLength.
    bool ParseDocument(const char* pText, int nLength);

private:
    bool ParseNode(CXmlParserNode& parserNode, const char* pText, int nLength, int nDepth);
    void ParseChildNode(const CXmlParserNode& parserNode, int nDepth);
    void RaiseNode(const std::string& name, const std::string& attributes);
    void RaiseElement(const std::string& name, const std::string& value, const std::string& attributes);

    IXmlStreamReceiver* m_pReceiver;
};
