#include "xml/tracewriter.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The bytes that a text-mode standard output stream would produce.
class CStandardOutput : public CTraceOutput {
public:
    void Write(const char* pch, size_t cb) override
    {
#ifdef _WIN32
        HANDLE hOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (hOutput == nullptr || hOutput == INVALID_HANDLE_VALUE) {
            return;  // no standard output: the trace is not seen
        }
        size_t cbOut = 0;
        for (size_t i = 0; i < cb; ++i) {
            if (pch[i] == '\n') {
                m_translated[cbOut++] = '\r';
            }
            m_translated[cbOut++] = pch[i];
            if (cbOut >= sizeof(m_translated) - 1) {
                WriteAll(hOutput, cbOut);
                cbOut = 0;
            }
        }
        WriteAll(hOutput, cbOut);
#else
        std::fwrite(pch, 1, cb, stdout);
        std::fflush(stdout);
#endif
    }

#ifdef _WIN32
private:
    void WriteAll(HANDLE hOutput, size_t cb)
    {
        for (size_t cbDone = 0; cbDone < cb;) {
            DWORD cbWritten = 0;
            if (!::WriteFile(hOutput, m_translated + cbDone, static_cast<DWORD>(cb - cbDone), &cbWritten, nullptr) ||
                cbWritten == 0) {
                return;  // a closed or broken output loses the trace, nothing else
            }
            cbDone += cbWritten;
        }
    }

    char m_translated[2 * CTraceWriter::kBlockSize];
#endif
};

CStandardOutput g_standardOutput;
CTraceOutput* g_pTraceOutput = &g_standardOutput;

}  // namespace

CTraceWriter& Trace()
{
    static CTraceWriter trace;
    return trace;
}

CTraceOutput* SetTraceOutput(CTraceOutput* pOutput)
{
    Trace().Flush();
    CTraceOutput* pPrevious = g_pTraceOutput;
    g_pTraceOutput = pOutput ? pOutput : &g_standardOutput;
    return pPrevious == &g_standardOutput ? nullptr : pPrevious;
}

void CTraceWriter::Write(const char* pch, size_t cb)
{
    while (cb > 0) {
        if (m_cb == kBlockSize) {
            Flush();
        }
        const size_t cbPart = cb < kBlockSize - m_cb ? cb : kBlockSize - m_cb;
        std::memcpy(m_block + m_cb, pch, cbPart);
        m_cb += cbPart;
        pch += cbPart;
        cb -= cbPart;
    }
}

void CTraceWriter::WriteLine(const char* pszPrefix, const char* pch, size_t cb)
{
    Write(pszPrefix, std::strlen(pszPrefix));
    Write(pch, cb);
    Write("\n", 1);
}

void CTraceWriter::Flush()
{
    if (m_cb > 0) {
        g_pTraceOutput->Write(m_block, m_cb);
        m_cb = 0;
    }
}
