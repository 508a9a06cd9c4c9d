#pragma once

#include <windows.h>

// Runs a call on a short-lived thread of its own in a single-threaded
// apartment, which the shell and the common dialogs expect (they may fail on
// a thread of the multithreaded apartment), and waits for it modally with the
// calling thread's windows disabled (CModalScope): the shell may send to every
// top-level window, and a dialog the call shows, owned by one of them, shares
// the calling thread's input, so a thread that did not retrieve its messages
// would deadlock the one or freeze the other. The wait outlasts a logon end,
// so the call may use the caller's objects. False when the thread could not
// be started; the call has then not run.
bool RunInSingleThreadedApartment(void (*pfnCall)(void* pContext), void* pContext);

template <class F>
bool RunInSingleThreadedApartment(F& call)
{
    return RunInSingleThreadedApartment([](void* pContext) { (*static_cast<F*>(pContext))(); }, &call);
}
