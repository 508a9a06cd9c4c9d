#pragma once

#include <cstddef>

// Where the trace's blocks go. The default is the process's standard output,
// written as a text-mode stream writes it ("\n" goes out as "\r\n" on Windows).
class CTraceOutput {
public:
    virtual ~CTraceOutput() = default;
    virtual void Write(const char* pch, size_t cb) = 0;
};

// The parser's diagnostic trace. Lines are gathered into large blocks and
// written a block at a time: under Wine every write is a round trip, so a
// write per line would cost more than the parse. The parser flushes at the
// end of each document; whatever is left goes out when the process exits.
class CTraceWriter {
public:
    static constexpr size_t kBlockSize = 64 * 1024;

    CTraceWriter() = default;
    ~CTraceWriter() { Flush(); }
    CTraceWriter(const CTraceWriter&) = delete;
    CTraceWriter& operator=(const CTraceWriter&) = delete;

    void Write(const char* pch, size_t cb);
    // pszPrefix, then cb bytes of pch, then a line break.
    void WriteLine(const char* pszPrefix, const char* pch = "", size_t cb = 0);
    void Flush();

private:
    char m_block[kBlockSize];
    size_t m_cb = 0;
};

// The process-wide trace.
CTraceWriter& Trace();

// For tests: sends the trace's blocks to pOutput (not owned; null restores
// standard output) and returns the one it replaces.
CTraceOutput* SetTraceOutput(CTraceOutput* pOutput);
