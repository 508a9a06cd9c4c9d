#pragma once

#include "base/handles.h"
#include "net/internetapi.h"

// Closed through the installed CInternetApi, so a test's stand-in handles
// never reach the real library.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { InternetApi().InternetCloseHandle(h); }
};

// Owns a session, connection or request handle.
using CInternetHandle = CHandleOwner<InternetHandleTraits>;
