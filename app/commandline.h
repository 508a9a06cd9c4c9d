#pragma once

#include <windows.h>

// Position just after the next switch character of szTokens in psz, or null.
LPCSTR FindNextSwitch(LPCSTR psz, LPCSTR szTokens);

enum class RegistrationSwitch { None, Register, Unregister };

// "RegServer" or "UnregServer" counts only as the last word of the command line.
RegistrationSwitch ScanRegistrationSwitch(LPCSTR pszCommandLine);
