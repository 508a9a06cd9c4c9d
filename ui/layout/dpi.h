#pragma once

#include <windows.h>

// A window's display scale in dots per inch; 96 is 100 %. The calls that
// Windows 7 lacks are looked up at run time; without them every window has
// the system's scale, which the older calls report.
constexpr UINT kDefaultDpi = 96;

UINT DpiOfWindow(HWND hWnd);
// A length given at 96 dpi, at this scale; and a length at this scale, at 96
// dpi. Both round to the nearest pixel.
int ScaleToDpi(int nLength, UINT dpi);
int ScaleFromDpi(int nLength, UINT dpi);
int SystemMetricForDpi(int nIndex, UINT dpi);
// An icon of the module at the size of the given metrics at this scale; the
// caller owns it.
HICON LoadIconForDpi(int nId, int nWidthMetric, int nHeightMetric, UINT dpi);
// On a change of scale the dialog manager then only sets the new fonts: the
// size and the places of the controls are the dialog's own business.
void KeepDialogLayoutOnDpiChange(HWND hDlg);
