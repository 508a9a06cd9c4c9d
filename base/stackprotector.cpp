// The stack protector's guard and its failure, in place of GCC's libssp. Its
// set-up, a constructor, asks CryptAcquireContext for random bytes, which
// loads the system's crypto provider and the DLLs that one imports, looked for
// beside the program before the program can restrict the search. The guard is
// mixed instead as the Visual C++ runtime mixes its /GS cookie, from values
// that need no DLL: the time, the counters, the ids and two addresses that
// ASLR moves.
#include <windows.h>

#include <cstdint>

extern "C" {
void* __stack_chk_guard = nullptr;
[[noreturn]] void __stack_chk_fail();
}

namespace {

// Before any protected function can be live; unprotected itself, since it
// changes the guard.
__attribute__((constructor, no_stack_protector)) void SetUpStackGuard()
{
    FILETIME ft = {};
    ::GetSystemTimeAsFileTime(&ft);
    LARGE_INTEGER counter = {};
    ::QueryPerformanceCounter(&counter);
    uint64_t mix = (static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^
                   static_cast<uint64_t>(counter.QuadPart) ^ ::GetTickCount64() ^
                   (static_cast<uint64_t>(::GetCurrentProcessId()) << 32 | ::GetCurrentThreadId()) ^
                   reinterpret_cast<uintptr_t>(&ft) ^ (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&mix)) << 16);
    mix *= 0x9E3779B97F4A7C15ull;
    const uintptr_t guard = static_cast<uintptr_t>(mix ^ (mix >> 32));
    __stack_chk_guard = reinterpret_cast<void*>(guard ? guard : 0x2F6A41D5u);
}

}  // namespace

// A smashed stack: nothing of the program can be trusted to run any more.
void __stack_chk_fail()
{
    ::OutputDebugStringA("*** stack smashing detected ***");
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}
