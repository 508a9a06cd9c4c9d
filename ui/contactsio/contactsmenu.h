#pragma once

#include <windows.h>

#include "base/handles.h"

// The contact list's context menu, loaded from the resources: its popup is
// the first submenu. Copy and Delete are greyed without a selection, Paste
// Contacts while the clipboard holds no text.
CMenuHandle LoadContactsMenu(bool bAnySelected, bool bClipboardHasText);

// Shows the menu at the point (screen coordinates) and returns the chosen
// command, 0 for none.
int TrackContactsMenu(HWND hWndOwner, POINT ptScreen, bool bAnySelected);

// Where a menu opened from the keyboard shows: under the list's focused row
// when it is in view, else at the list's corner (screen coordinates).
POINT ContactsMenuPointUnderSelection(HWND hList);
