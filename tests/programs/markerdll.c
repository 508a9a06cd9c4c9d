/* Leaves a trace when loaded: "<its own path>.loaded". */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    WCHAR szPath[MAX_PATH + 8] = {0};
    (void)pReserved;
    if (dwReason == DLL_PROCESS_ATTACH && GetModuleFileNameW(hInstance, szPath, MAX_PATH) < MAX_PATH) {
        CloseHandle(CreateFileW(lstrcatW(szPath, L".loaded"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
