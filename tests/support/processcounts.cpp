#include "processcounts.h"

#include <winternl.h>

#include <vector>

ProcessCounts CountsOfProcess(DWORD processId)
{
    std::vector<BYTE> buffer(1 << 20);
    ULONG cbNeeded = 0;
    if (!NT_SUCCESS(::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &cbNeeded))) {
        return {};
    }
    for (size_t offset = 0;;) {
        auto* pInfo = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (reinterpret_cast<ULONG_PTR>(pInfo->UniqueProcessId) == processId) {
            return {pInfo->NumberOfThreads, pInfo->HandleCount};
        }
        if (pInfo->NextEntryOffset == 0) {
            return {};
        }
        offset += pInfo->NextEntryOffset;
    }
}
