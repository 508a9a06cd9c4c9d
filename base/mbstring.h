#pragma once

#include <windows.h>

// Searches over 8-bit text in the thread's ANSI code page that step over
// double-byte characters whole, so a trail byte never starts a match.
UINT ThreadAnsiCodePage();
const char* MbNext(const char* psz);
const char* MbFindString(const char* psz, const char* pszSought);
// True when psz begins with the whole of pszWord, letter case ignored.
bool MbStartsWithNoCase(const char* psz, const char* pszWord);
