#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/text/textsink.h"
#include "addressbook/vcard/vcardcontact.h"
#include "addressbook/vcard/vcardproperty.h"

// Reads vCards 2.1, 3.0 and 4.0 from text as it arrives, character by
// character: folded lines and quoted-printable soft line breaks continue a
// content line, and only the values of the properties a contact needs are held
// (bounded), so a photo or a note of any size passes without being kept.
class CVCardReader : public ITextSink {
public:
    // The text starts on line nFirstLine of the file.
    CVCardReader(AnsiDecoder decodeAnsi, unsigned nFirstLine, std::vector<RawContact>& contacts);

    void Consume(const char16_t* pch, size_t cch) override;
    void Finish() override;

private:
    // Longest name and parameters kept; a longer line's property is not used.
    static constexpr size_t kMaxHeaderChars = 1024;

    void OnChar(char16_t ch);
    void OnLineEnd();
    void OnHeaderChar(char16_t ch);
    void StartValue();
    void OnValueChar(char16_t ch);
    void EndContentLine();
    void OnProperty();
    void EndCard();

    AnsiDecoder m_decodeAnsi;
    std::vector<RawContact>& m_contacts;
    unsigned m_nLine;
    unsigned m_nContentLine;
    bool m_bLineEndPending = false;
    bool m_bSoftBreak = false;
    // The last character of the current physical line, for soft line breaks.
    char16_t m_chLast = 0;

    std::u16string m_header;
    bool m_bHeaderQuoted = false;
    bool m_bHeaderTooLong = false;
    std::optional<CVCardProperty> m_property;
    bool m_bKeep = false;
    std::u16string m_value;
    bool m_bCut = false;

    bool m_bInCard = false;
    CVCardContact m_card;
};
