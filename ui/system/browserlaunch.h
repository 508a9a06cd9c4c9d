#pragma once

#include <windows.h>

#include "base/bstr.h"

// Starts the program associated with ".htm" files with the address as its
// argument, or, when there is none or it cannot be started, hands the address
// itself to the shell (the member's browser for its scheme). The shell is asked
// from a single-threaded apartment. Every failure is silent.
void OpenUrlInBrowser(HWND hWndOwner, const CBstr& bstrUrl);
