/* A DLL that leaves a trace when loaded: "<its own path>.loaded". Copied
   beside the program under the names of DLLs it may load, it shows whether a
   planted DLL would run. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    (void)pReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        WCHAR szPath[MAX_PATH + 8] = {0};
        DWORD cch = GetModuleFileNameW(hInstance, szPath, MAX_PATH);
        if (cch > 0 && cch < MAX_PATH) {
            lstrcatW(szPath, L".loaded");
            CloseHandle(CreateFileW(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        }
    }
    return TRUE;
}
