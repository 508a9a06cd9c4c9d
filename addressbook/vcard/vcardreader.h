#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/vcard/vcardcontact.h"
#include "addressbook/vcard/vcardproperty.h"

// Reads vCards 2.1, 3.0 and 4.0 from their content lines (folded lines and
// soft line breaks already joined), deciding each line's encoding by itself:
// valid UTF-8 is UTF-8, else the code page its CHARSET names, else the one the
// file named last, else the codec's fallback. Only the values of the
// properties a contact needs are decoded and held (bounded). A 2.1 AGENT's
// card is skipped whole.
class CVCardReader {
public:
    CVCardReader(const TextCodec& codec, std::vector<RawContact>& contacts);

    void OnContentLine(const std::string& bytes, unsigned nLine, bool bCut);
    void Finish();

private:
    // Longest name and parameters read; a longer line's property is not used.
    static constexpr size_t kMaxHeaderChars = 1024;

    void OnProperty(const CVCardProperty& property, const std::u16string& value, unsigned nLine);
    bool OnAgentLine(const CVCardProperty& property, bool bCard);
    std::u16string ValueOf(const CVCardProperty& property, const std::string& bytes, size_t nValueAt,
                           bool bCut) const;
    void EndCard();

    TextCodec m_codec;
    std::vector<RawContact>& m_contacts;
    bool m_bInCard = false;
    CVCardContact m_card;
    // An AGENT with no value: its card follows. Within it, the depth of cards.
    bool m_bAgentPending = false;
    unsigned m_nAgentDepth = 0;
};
