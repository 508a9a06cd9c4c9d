#include "ui/layout/dpi.h"

namespace {

// A function of a system module that may be missing; null then.
template <class Function>
Function LookUp(const char* pszModule, const char* pszName)
{
    HMODULE hModule = ::GetModuleHandleA(pszModule);
    FARPROC pfn = hModule ? ::GetProcAddress(hModule, pszName) : nullptr;
    // Through the generic function type, which any other converts from.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pfn));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

constexpr int kDisableResize = 0x2;          // DDC_DISABLE_RESIZE
constexpr int kDisableControlRelayout = 0x4;  // DDC_DISABLE_CONTROL_RELAYOUT

UINT SystemDpi()
{
    HDC hScreen = ::GetDC(nullptr);
    int nDpi = hScreen ? ::GetDeviceCaps(hScreen, LOGPIXELSY) : 0;
    if (hScreen) {
        ::ReleaseDC(nullptr, hScreen);
    }
    return nDpi > 0 ? static_cast<UINT>(nDpi) : kDefaultDpi;
}

}  // namespace

UINT DpiOfWindow(HWND hWnd)
{
    static const auto pfnGetDpiForWindow = LookUp<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    UINT dpi = pfnGetDpiForWindow && hWnd ? pfnGetDpiForWindow(hWnd) : 0;
    return dpi ? dpi : SystemDpi();
}

int ScaleToDpi(int nLength, UINT dpi) { return dpi ? ::MulDiv(nLength, static_cast<int>(dpi), kDefaultDpi) : nLength; }

int ScaleFromDpi(int nLength, UINT dpi)
{
    return dpi ? ::MulDiv(nLength, kDefaultDpi, static_cast<int>(dpi)) : nLength;
}

int SystemMetricForDpi(int nIndex, UINT dpi)
{
    static const auto pfnGetSystemMetricsForDpi =
        LookUp<GetSystemMetricsForDpiFn>("user32.dll", "GetSystemMetricsForDpi");
    return pfnGetSystemMetricsForDpi ? pfnGetSystemMetricsForDpi(nIndex, dpi) : ::GetSystemMetrics(nIndex);
}

HICON LoadIconForDpi(int nId, int nWidthMetric, int nHeightMetric, UINT dpi)
{
    return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nId), IMAGE_ICON,
                                           SystemMetricForDpi(nWidthMetric, dpi),
                                           SystemMetricForDpi(nHeightMetric, dpi), LR_DEFAULTCOLOR));
}

void KeepDialogLayoutOnDpiChange(HWND hDlg)
{
    static const auto pfnSetBehavior =
        LookUp<SetDialogDpiChangeBehaviorFn>("user32.dll", "SetDialogDpiChangeBehavior");
    if (pfnSetBehavior) {
        int flags = kDisableResize | kDisableControlRelayout;
        pfnSetBehavior(hDlg, flags, flags);
    }
}
