#pragma once

#include <windows.h>

// The outer size and maximised state of a window, kept in the current user's
// "Software\Velmora\Orvex\Windows" key under the given value names. The size
// is kept at 96 dpi and converted from and to the window's display scale.
void SaveWindowPlacement(HWND hWnd, LPCWSTR pszWidthName, LPCWSTR pszHeightName, LPCWSTR pszMaximizedName);
// Without a stored size (and without a default size; 0 and -1 mean none) the
// window opens maximised over two thirds of the screen at the origin. A stored
// size is cut to the work area, and the frame kept wholly inside it.
void RestoreWindowPlacement(HWND hWnd, LPCWSTR pszWidthName, LPCWSTR pszHeightName, LPCWSTR pszMaximizedName,
                            int nDefaultWidth, int nDefaultHeight);
