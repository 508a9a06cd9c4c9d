#pragma once

#include <windows.h>

// DLLs from the system folder only. A DLL placed beside the program, in the
// folder it was started from or on the PATH (a Downloads folder, say) would
// otherwise run with the member's rights. The program imports only DLLs that
// Windows pins as KnownDLLs (and comctl32 through its manifest); every other
// system DLL is loaded here when first needed.

// First thing in the process: every later load without a folder of its own,
// the system's own loads on the program's behalf included, searches System32
// alone. False where Windows lacks the call (Windows 7 without KB2533623);
// the current folder then at least leaves the search.
bool RestrictDllSearchToSystem32();

// The named system DLL, from System32 only; null when it cannot be loaded.
// Callers keep it for the life of the process: a library may still call back
// on threads of its own.
HMODULE LoadSystemLibrary(LPCWSTR pszName);

// A function of a module loaded above; null when the module or the function is missing.
template <class Function>
Function SystemFunction(HMODULE hModule, const char* pszName)
{
    FARPROC pfn = hModule ? ::GetProcAddress(hModule, pszName) : nullptr;
    // Through the generic function type, which any other converts from.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pfn));
}
