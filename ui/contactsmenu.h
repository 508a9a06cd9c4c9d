#pragma once

#include <windows.h>

// The contact list's context menu. Shows it at the point (screen coordinates)
// and returns the chosen command, 0 for none. Copy and Delete are greyed
// without a selection.
int TrackContactsMenu(HWND hWndOwner, POINT ptScreen, bool bAnySelected);
