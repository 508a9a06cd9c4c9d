#pragma once

#include <cstddef>

// Takes decoded text as it arrives, every line end already a single LF.
class ITextSink {
public:
    virtual ~ITextSink() = default;
    virtual void Consume(const char16_t* pch, size_t cch) = 0;
    // The end of the text: whatever is still open is completed.
    virtual void Finish() = 0;
};
