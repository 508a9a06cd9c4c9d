#include "base/apartmentcall.h"

#include <objbase.h>

#include "base/handles.h"
#include "base/messagewait.h"
#include "base/modalscope.h"

namespace {

struct ApartmentCall {
    void (*pfnCall)(void*);
    void* pContext;
};

DWORD WINAPI RunCall(LPVOID pParameter)
{
    const ApartmentCall& call = *static_cast<const ApartmentCall*>(pParameter);
    // Without the apartment the call still runs: the shell then does what it can.
    CComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    call.pfnCall(call.pContext);
    return 0;
}

}  // namespace

bool RunInSingleThreadedApartment(void (*pfnCall)(void* pContext), void* pContext)
{
    ApartmentCall call = {pfnCall, pContext};
    CModalScope scope;
    CKernelHandle hThread(::CreateThread(nullptr, 0, RunCall, &call, 0, nullptr));
    if (!hThread) {
        return false;
    }
    if (WaitModally(hThread.Get(), INFINITE, nullptr, false) != WaitEnd::Signalled) {
        // The call uses this frame: it must not be left while the thread runs.
        ::WaitForSingleObject(hThread.Get(), INFINITE);
    }
    return true;
}
