#include "net/commandresponse.h"

#include <utility>

CommandResponse::CommandResponse(CHeapPtr<char> pszText, size_t cb) noexcept
    : m_pszText(std::move(pszText)), m_cb(m_pszText ? cb : 0)
{
}

CommandResponse::CommandResponse(CommandResponse&& other) noexcept
    : m_pszText(std::move(other.m_pszText)), m_cb(std::exchange(other.m_cb, 0))
{
}

CommandResponse& CommandResponse::operator=(CommandResponse&& other) noexcept
{
    if (this != &other) {
        m_pszText = std::move(other.m_pszText);
        m_cb = std::exchange(other.m_cb, 0);
    }
    return *this;
}
