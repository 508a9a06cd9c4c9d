#pragma once

#include <cstddef>

#include "base/handles.h"

// The service's answer: heap-allocated, NUL-terminated 8-bit text exactly as
// received, or null when the answer had no bytes (or the exchange failed).
class CommandResponse {
public:
    CommandResponse() noexcept = default;
    // Takes ownership of pszText, which holds cb bytes and a terminating NUL.
    CommandResponse(CHeapPtr<char> pszText, size_t cb) noexcept;
    CommandResponse(CommandResponse&& other) noexcept;
    CommandResponse& operator=(CommandResponse&& other) noexcept;
    CommandResponse(const CommandResponse&) = delete;
    CommandResponse& operator=(const CommandResponse&) = delete;

    const char* Text() const noexcept { return m_pszText.get(); }
    size_t Length() const noexcept { return m_cb; }
    bool IsNull() const noexcept { return !m_pszText; }

private:
    CHeapPtr<char> m_pszText;
    size_t m_cb = 0;
};
