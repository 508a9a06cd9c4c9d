#pragma once

#include <cstddef>

#include "base/handles.h"
#include "net/commandresponse.h"

// The answer as it arrives, in one block. When the answer announced its
// length the block is that size from the start; otherwise it doubles, which
// keeps reading linear, and is trimmed to the text once the answer is whole.
class CAnswerText {
public:
    // Room for cb bytes and the terminator, made once. False when memory runs out.
    bool Reserve(size_t cb);
    // False when memory runs out.
    bool Append(const char* pch, size_t cb);
    // The text, trimmed to its length, or null when nothing was appended; the
    // object is empty afterwards.
    CommandResponse Release() noexcept;

private:
    bool Grow(size_t cbNeeded);
    bool Resize(size_t cbCapacity);

    CHeapPtr<char> m_pszText;
    size_t m_cb = 0;
    size_t m_cbCapacity = 0;
};
