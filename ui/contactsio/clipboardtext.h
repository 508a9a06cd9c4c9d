#pragma once

#include <windows.h>

#include <string>

// Puts the text on the clipboard as Unicode text, in place of what was there.
// False when the clipboard cannot be opened (another program holds it) or
// the memory cannot be had.
bool PutTextOnClipboard(HWND hWndOwner, const std::u16string& text);
