#pragma once

#include <windows.h>

// Runs a call on a short-lived thread of its own in a single-threaded
// apartment, which the shell and the common dialogs expect (they may fail on
// a thread of the multithreaded apartment), and waits for it while answering
// the system: the shell may send to every top-level window, and a thread that
// did not answer would deadlock it. The wait outlasts a logon end, so
// the call may use the caller's objects. False when the thread could not be
// started; the call has then not run.
bool RunInSingleThreadedApartment(void (*pfnCall)(void* pContext), void* pContext);

template <class F>
bool RunInSingleThreadedApartment(F& call)
{
    return RunInSingleThreadedApartment([](void* pContext) { (*static_cast<F*>(pContext))(); }, &call);
}
