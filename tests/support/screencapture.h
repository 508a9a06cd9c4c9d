#pragma once

#include <windows.h>

#include <vector>

// What the screen shows inside rc (screen coordinates), top row first, one
// 0x00RRGGBB per pixel. Works on other processes' windows, busy or not.
bool CaptureScreen(const RECT& rc, std::vector<DWORD>& pixels);
