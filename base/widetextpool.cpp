#include "base/widetextpool.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <utility>

LPCWSTR CWideTextPool::Add(LPCWSTR pch, size_t cch)
{
    if (!pch || cch == 0) {
        return L"";
    }
    wchar_t* pCopy;
    if (cch + 1 <= m_cchFree) {
        pCopy = m_pFree;
        m_pFree += cch + 1;
        m_cchFree -= cch + 1;
    } else if (cch + 1 > kBlockChars / 2) {
        // Exactly sized, and the current block keeps its room.
        pCopy = NewBlock(cch + 1);
    } else {
        pCopy = NewBlock(kBlockChars);
        if (pCopy) {
            m_pFree = pCopy + cch + 1;
            m_cchFree = kBlockChars - (cch + 1);
        }
    }
    if (!pCopy) {
        return L"";
    }
    std::wmemcpy(pCopy, pch, cch);
    pCopy[cch] = L'\0';
    return pCopy;
}

void CWideTextPool::Clear() noexcept
{
    m_blocks.clear();
    m_pFree = nullptr;
    m_cchFree = 0;
    m_cchCapacity = 0;
}

wchar_t* CWideTextPool::NewBlock(size_t cch)
{
    if (cch > SIZE_MAX / sizeof(wchar_t)) {
        return nullptr;
    }
    CHeapPtr<wchar_t> pBlock(static_cast<wchar_t*>(std::malloc(cch * sizeof(wchar_t))));
    if (!pBlock) {
        return nullptr;
    }
    wchar_t* p = pBlock.get();
    m_blocks.push_back(std::move(pBlock));
    m_cchCapacity += cch;
    return p;
}
