#pragma once

#include <windows.h>

#include "base/bstr.h"

// Starts the program associated with ".htm" files with the address as its
// argument. Every failure is silent.
void OpenUrlInBrowser(HWND hWndOwner, const CBstr& bstrUrl);
