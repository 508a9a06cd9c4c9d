#pragma once

// Receives what CXmlStream finds in a details document, in document order.
// Every argument is 8-bit text owned by the parser and valid only during the call.
// The parser ignores the return values.
class IXmlStreamReceiver
{
public:
    // An element whose content holds further tags; its children follow.
    virtual bool OnFoundNode(const char* pszName, const char* pszAttributes) = 0;
    // A leaf element with its raw text value.
    virtual bool OnFoundElement(const char* pszName, const char* pszValue, const char* pszAttributes) = 0;

    // Declared after the notifications so that they keep the first two slots.
    virtual ~IXmlStreamReceiver() = default;
};
