#pragma once

#include <windows.h>

#include <vector>

// What the screen shows over a rectangle in screen coordinates, row by row
// from the top, one 0x00RRGGBB value a pixel.
bool CaptureScreen(const RECT& rc, std::vector<DWORD>& pixels);
