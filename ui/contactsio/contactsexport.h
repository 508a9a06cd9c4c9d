#pragma once

#include <windows.h>

#include <vector>

#include "addressbook/writers/addressbookwriter.h"

// Asks where to export the contacts (all of them, or the selected ones) and
// in which format, and writes the file; a failure has its box, owned by
// hWndOwner, that says where the member's data is.
void ExportContacts(HWND hWndOwner, const std::vector<ExportContact>& contacts, bool bSelected);

// Copy: the contacts on the clipboard as text; a box when another program
// holds the clipboard.
void CopyContacts(HWND hWndOwner, const std::vector<ExportContact>& contacts);
