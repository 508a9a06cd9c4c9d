#include "addressbook/text/linereader.h"

namespace {

// Longest vCard name and parameters looked at for QUOTED-PRINTABLE.
constexpr size_t kMaxHeaderBytes = 1024;

// Bytes below 0x40 are neither lead nor trail bytes in any double-byte code
// page, so a long line in one can be decoded in pieces cut after one.
size_t SafeCut(const std::string& bytes)
{
    size_t cb = bytes.size();
    while (cb > 0 && static_cast<unsigned char>(bytes[cb - 1]) >= 0x40) {
        --cb;
    }
    return cb;
}

bool ContainsNoCase(const std::string& text, size_t cchText, const char* pszUpper)
{
    for (size_t i = 0; i < cchText; ++i) {
        size_t j = 0;
        while (pszUpper[j] != '\0' && i + j < cchText &&
               (text[i + j] == pszUpper[j] || text[i + j] == pszUpper[j] - 'A' + 'a')) {
            ++j;
        }
        if (pszUpper[j] == '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

CLineReader::CLineReader(const TextCodec& codec, ILineSink& sink) : m_codec(codec), m_sink(sink)
{
}

void CLineReader::Feed(const char* p, size_t cb)
{
    for (size_t i = 0; i < cb; ++i) {
        OnByte(p[i]);
    }
}

void CLineReader::Finish()
{
    if (m_bContentLines && (m_bLineEnded || m_bLineStarted)) {
        EmitContentLine();
    } else if (!m_bContentLines && m_bLineStarted) {
        FinishTextLine(false);
    }
    m_sink.OnEnd();
}

void CLineReader::OnByte(char b)
{
    if (m_bAfterCr) {
        m_bAfterCr = false;
        if (b == '\n') {
            return;
        }
    }
    if (m_bLineEnded) {
        m_bLineEnded = false;
        if (m_bSoftBreak) {
            m_bSoftBreak = false;  // what follows "=" and the line end is value, blanks too
        } else if (b == ' ' || b == '\t') {
            return;  // a folded line: the line end and this one blank are nothing
        } else {
            EmitContentLine();
        }
    }
    if (!m_bLineStarted) {
        StartLine();
    }
    if (b == '\r' || b == '\n') {
        m_bAfterCr = b == '\r';
        EndPhysicalLine();
    } else if (m_bContentLines) {
        if (m_line.size() < kMaxContentLineBytes) {
            m_line.push_back(b);
        } else {
            m_bCut = true;
        }
    } else {
        AppendText(b);
    }
}

void CLineReader::StartLine()
{
    m_bLineStarted = true;
    m_bContentLines = m_sink.WantsContentLines();
    m_nContentLine = m_nLine;
}

void CLineReader::EndPhysicalLine()
{
    ++m_nLine;
    if (!m_bContentLines) {
        FinishTextLine(true);
        return;
    }
    m_bLineEnded = true;
    m_bSoftBreak = !m_bCut && !m_line.empty() && m_line.back() == '=' && IsQuotedPrintable();
    if (m_bSoftBreak) {
        m_line.pop_back();
    }
}

// Whether the content line's parameters (before the first colon outside
// quotes) name QUOTED-PRINTABLE; known once its colon has come.
bool CLineReader::IsQuotedPrintable()
{
    if (m_qp != Qp::Unknown) {
        return m_qp == Qp::Yes;
    }
    bool bQuoted = false;
    for (size_t i = 0; i < m_line.size() && i < kMaxHeaderBytes; ++i) {
        if (m_line[i] == '"') {
            bQuoted = !bQuoted;
        } else if (m_line[i] == ':' && !bQuoted) {
            m_qp = ContainsNoCase(m_line, i, "QUOTED-PRINTABLE") ? Qp::Yes : Qp::No;
            return m_qp == Qp::Yes;
        }
    }
    return false;
}

void CLineReader::EmitContentLine()
{
    m_sink.OnContentLine(m_line, m_nContentLine, m_bCut);
    m_line.clear();
    m_bLineStarted = false;
    m_bLineEnded = false;
    m_bSoftBreak = false;
    m_bCut = false;
    m_qp = Qp::Unknown;
}

void CLineReader::AppendText(char b)
{
    m_line.push_back(b);
    if (m_line.size() < kDecisionBytes) {
        return;
    }
    if (!m_bDecided) {
        CUtf8Decoder validator;
        m_bDecided = true;
        m_nCodePage = validator.Feed(m_line.data(), m_line.size(), nullptr) ? kUtf8CodePage : m_codec.nFallbackCodePage;
        m_utf8 = CUtf8Decoder();
    }
    DecodeHeldText(false);
}

// Decodes what is held of a long line in the encoding decided for it.
void CLineReader::DecodeHeldText(bool bLineEnds)
{
    m_text.clear();
    if (m_nCodePage == kUtf8CodePage) {
        m_utf8.Feed(m_line.data(), m_line.size(), &m_text);
        if (bLineEnds) {
            m_utf8.Finish(&m_text);
        }
        m_line.clear();
    } else {
        const size_t cb = bLineEnds || m_line.size() >= 2 * kDecisionBytes ? m_line.size() : SafeCut(m_line);
        AppendDecoded(m_codec.decode, m_nCodePage, m_line.data(), cb, m_text);
        m_line.erase(0, cb);
    }
    m_sink.OnText(m_text.data(), m_text.size());
}

void CLineReader::FinishTextLine(bool bLineEnds)
{
    if (m_bDecided) {
        DecodeHeldText(true);
        m_text.clear();
    } else {
        m_text.clear();
        const bool bUtf8 = IsValidUtf8(m_line.data(), m_line.size());
        const unsigned nCodePage = bUtf8 ? kUtf8CodePage : m_codec.nFallbackCodePage;
        AppendDecoded(m_codec.decode, nCodePage, m_line.data(), m_line.size(), m_text);
    }
    if (bLineEnds) {
        m_text.push_back(u'\n');
    }
    m_sink.OnText(m_text.data(), m_text.size());
    m_line.clear();
    m_bLineStarted = false;
    m_bDecided = false;
}
