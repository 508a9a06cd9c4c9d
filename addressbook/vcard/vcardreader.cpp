#include "addressbook/vcard/vcardreader.h"

#include "addressbook/addressbooklimits.h"
#include "addressbook/text/asciitext.h"

namespace {

// Where the value starts: after the first colon outside quotes; 0 for a line
// without one in its first kMaxHeaderChars bytes.
size_t ValueStart(const std::string& bytes, size_t cbMaxHeader)
{
    bool bQuoted = false;
    for (size_t i = 0; i < bytes.size() && i < cbMaxHeader; ++i) {
        if (bytes[i] == '"') {
            bQuoted = !bQuoted;
        } else if (bytes[i] == ':' && !bQuoted) {
            return i + 1;
        }
    }
    return 0;
}

// Names and parameters are ASCII; anything else in them only has to pass.
std::u16string Widen(const std::string& bytes, size_t cb)
{
    return std::u16string(reinterpret_cast<const unsigned char*>(bytes.data()),
                          reinterpret_cast<const unsigned char*>(bytes.data()) + cb);
}

}  // namespace

CVCardReader::CVCardReader(const TextCodec& codec, std::vector<RawContact>& contacts)
    : m_codec(codec), m_contacts(contacts)
{
}

void CVCardReader::OnContentLine(const std::string& bytes, unsigned nLine, bool bCut)
{
    const size_t nValueAt = ValueStart(bytes, kMaxHeaderChars + 1);
    if (nValueAt == 0) {
        m_bAgentPending = false;
        return;
    }
    const CVCardProperty property(Widen(bytes, nValueAt - 1));
    if (property.CharsetCodePage() != 0) {
        // The file's own word for the lines that name no charset.
        m_codec.nFallbackCodePage = property.CharsetCodePage();
    }
    const std::u16string& name = property.Name();
    const bool bMarker = name == u"BEGIN" || name == u"END" || name == u"AGENT";
    if (bMarker || (m_bInCard && m_nAgentDepth == 0 && m_card.Wants(property))) {
        OnProperty(property, ValueOf(property, bytes, nValueAt, bCut), nLine);
    } else {
        m_bAgentPending = false;
    }
}

void CVCardReader::Finish()
{
    // A last card without its END still gives its contact.
    if (m_bInCard) {
        EndCard();
    }
}

void CVCardReader::OnProperty(const CVCardProperty& property, const std::u16string& value, unsigned nLine)
{
    const std::u16string& name = property.Name();
    const bool bCard = EqualsNoCase(TrimBlanks(value), "VCARD");
    if (OnAgentLine(property, bCard)) {
        return;
    }
    if (name == u"BEGIN" && bCard) {
        // A card begun inside another ends the outer one, which lost its END.
        if (m_bInCard) {
            EndCard();
        }
        m_card.Start(nLine);
        m_bInCard = true;
    } else if (name == u"END" && bCard) {
        EndCard();
    } else if (name == u"AGENT") {
        // 2.1 writes the agent's card on the lines after an empty AGENT, or
        // starts it on the AGENT line itself.
        m_bAgentPending = m_bInCard && IsBlankText(value);
        m_nAgentDepth = m_bInCard && EqualsNoCase(TrimBlanks(value), "BEGIN:VCARD") ? 1 : 0;
    } else if (m_bInCard) {
        m_card.Add(property, value, m_codec);
    }
}

// Within an agent's card every line is skipped; its END ends only it.
bool CVCardReader::OnAgentLine(const CVCardProperty& property, bool bCard)
{
    const bool bBegin = property.Name() == u"BEGIN" && bCard;
    if (m_bAgentPending && bBegin) {
        m_bAgentPending = false;
        m_nAgentDepth = 1;
        return true;
    }
    m_bAgentPending = false;
    if (m_nAgentDepth == 0) {
        return false;
    }
    if (bBegin) {
        ++m_nAgentDepth;
    } else if (property.Name() == u"END" && bCard) {
        --m_nAgentDepth;
    }
    return true;
}

std::u16string CVCardReader::ValueOf(const CVCardProperty& property, const std::string& bytes, size_t nValueAt,
                                     bool bCut) const
{
    const char* p = bytes.data() + nValueAt;
    const size_t cb = bytes.size() - nValueAt;
    const unsigned nCodePage = IsValidUtf8(p, cb)                  ? kUtf8CodePage
                               : property.CharsetCodePage() != 0 ? property.CharsetCodePage()
                                                                 : m_codec.nFallbackCodePage;
    std::u16string value;
    AppendDecoded(m_codec.decode, nCodePage, p, cb, value);
    if (value.size() > kMaxValueChars) {
        value.resize(kMaxValueChars);
        bCut = true;
    }
    if (bCut) {
        value.push_back(kCutMark);
    }
    return value;
}

void CVCardReader::EndCard()
{
    RawContact contact;
    if (m_card.Take(contact)) {
        m_contacts.push_back(std::move(contact));
    }
    m_bInCard = false;
    m_nAgentDepth = 0;
    m_bAgentPending = false;
}
