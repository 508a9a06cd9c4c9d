#pragma once

#include <cstddef>

// The bytes the C++ heap holds for the program at this moment: the
// sanitizers' own count in the native build, the C runtime's heap walked
// under Windows.
#if defined(_WIN32)
#include <malloc.h>

inline size_t AllocatedBytes()
{
    _HEAPINFO info = {};
    size_t cb = 0;
    while (_heapwalk(&info) == _HEAPOK) {
        if (info._useflag == _USEDENTRY) {
            cb += info._size;
        }
    }
    return cb;
}
#else
#include <sanitizer/allocator_interface.h>

inline size_t AllocatedBytes() { return __sanitizer_get_current_allocated_bytes(); }
#endif
