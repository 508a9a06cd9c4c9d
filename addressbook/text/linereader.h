#pragma once

#include <cstddef>
#include <string>

#include "addressbook/text/codepages.h"
#include "addressbook/text/linesink.h"
#include "addressbook/text/utf8.h"

// Splits 8-bit text (UTF-8 or a code page) at its line ends (CRLF, LF or a
// lone CR) as the bytes arrive, and decides each line's encoding by itself,
// after joining at the byte level what continues it: valid UTF-8 is UTF-8,
// else the fallback code page. So one Latin-1 line never garbles the others,
// and a character folded in two still reads as one.
class CLineReader {
public:
    // Bytes of a text line held to decide its encoding; a longer line goes on
    // in the encoding its first part had.
    static constexpr size_t kDecisionBytes = 64 * 1024;
    // Bytes of a content line held; a longer one (a photo) is cut.
    static constexpr size_t kMaxContentLineBytes = 256 * 1024;

    CLineReader(const TextCodec& codec, ILineSink& sink);

    void Feed(const char* p, size_t cb);
    void Finish();

private:
    void OnByte(char b);
    void StartLine();
    void EndPhysicalLine();
    bool IsQuotedPrintable();
    void EmitContentLine();
    void AppendText(char b);
    void DecodeHeldText(bool bLineEnds);
    void FinishTextLine(bool bLineEnds);

    const TextCodec& m_codec;
    ILineSink& m_sink;
    unsigned m_nLine = 1;
    bool m_bAfterCr = false;
    bool m_bLineStarted = false;
    bool m_bContentLines = false;
    std::string m_line;
    std::u16string m_text;

    // A content line: its first line, whether a physical line ended (the next
    // byte tells whether the content line goes on), and how.
    unsigned m_nContentLine = 1;
    bool m_bLineEnded = false;
    bool m_bSoftBreak = false;
    bool m_bCut = false;
    enum class Qp { Unknown, Yes, No } m_qp = Qp::Unknown;

    // A text line longer than kDecisionBytes: the encoding its start had.
    bool m_bDecided = false;
    unsigned m_nCodePage = kUtf8CodePage;
    CUtf8Decoder m_utf8;
};
