#pragma once

#include <windows.h>

// A process's thread and handle counts as the system's process list gives
// them (Wine's GetProcessHandleCount answers 0).
struct ProcessCounts {
    ULONG threads = 0;
    ULONG handles = 0;
};

ProcessCounts CountsOfProcess(DWORD processId);
