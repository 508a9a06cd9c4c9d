#include "net/answertext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kFirstCapacity = 1025;
// Slack worth handing back once the answer is whole.
constexpr size_t kTrimSlack = 64 * 1024;

}  // namespace

bool CAnswerText::Resize(size_t cbCapacity)
{
    void* pResized = std::realloc(m_pszText.get(), cbCapacity);
    if (!pResized) {
        return false;
    }
    m_pszText.release();
    m_pszText.reset(static_cast<char*>(pResized));
    m_cbCapacity = cbCapacity;
    return true;
}

bool CAnswerText::Reserve(size_t cb)
{
    if (cb == 0) {
        return true;
    }
    if (cb >= SIZE_MAX - m_cb) {
        return false;
    }
    return m_cb + cb + 1 <= m_cbCapacity || Resize(m_cb + cb + 1);
}

bool CAnswerText::Grow(size_t cbNeeded)
{
    if (cbNeeded <= m_cbCapacity) {
        return true;
    }
    size_t cbCapacity = m_cbCapacity ? m_cbCapacity : kFirstCapacity;
    while (cbCapacity < cbNeeded) {
        if (cbCapacity > SIZE_MAX / 2) {
            return false;
        }
        cbCapacity *= 2;
    }
    return Resize(cbCapacity);
}

bool CAnswerText::Append(const char* pch, size_t cb)
{
    if (cb >= SIZE_MAX - m_cb || !Grow(m_cb + cb + 1)) {
        return false;
    }
    std::memcpy(m_pszText.get() + m_cb, pch, cb);
    m_cb += cb;
    m_pszText.get()[m_cb] = '\0';
    return true;
}

CommandResponse CAnswerText::Release() noexcept
{
    // Where the block cannot shrink it stays as it is.
    if (m_pszText && m_cbCapacity - (m_cb + 1) > kTrimSlack) {
        Resize(m_cb + 1);
    }
    m_cbCapacity = 0;
    return CommandResponse(std::move(m_pszText), std::exchange(m_cb, 0));
}
