#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "base/handles.h"

// Wide strings packed end to end in large blocks: a copy costs its characters
// and its NUL, where a separate heap string per value costs its header,
// rounding and allocator bookkeeping besides, several times a short value.
// Copies never move and stay valid until Clear().
class CWideTextPool {
public:
    // Blocks hold this many characters; a longer copy gets a block of its own.
    static constexpr size_t kBlockChars = 64 * 1024;

    CWideTextPool() = default;
    CWideTextPool(const CWideTextPool&) = delete;
    CWideTextPool& operator=(const CWideTextPool&) = delete;

    // A NUL-terminated copy of cch characters of pch; L"" for no characters
    // or when memory runs out, never null.
    LPCWSTR Add(LPCWSTR pch, size_t cch);
    // Frees every block; earlier copies are gone.
    void Clear() noexcept;
    // Characters held in blocks, used or not.
    size_t CapacityChars() const noexcept { return m_cchCapacity; }

private:
    wchar_t* NewBlock(size_t cch);

    std::vector<CHeapPtr<wchar_t>> m_blocks;
    wchar_t* m_pFree = nullptr;
    size_t m_cchFree = 0;
    size_t m_cchCapacity = 0;
};
