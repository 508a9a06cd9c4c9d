#pragma once

#include <windows.h>

#include <string>

#include "addressbook/addressbookreader.h"

// The standard open and save dialogs for address books, each run on a thread
// of a single-threaded apartment of its own. False when the member cancels or
// the dialog cannot be shown.
bool AskAddressBookToOpen(HWND hWndOwner, std::wstring& path);
bool AskAddressBookToSave(HWND hWndOwner, const std::wstring& title, std::wstring& path, AddressBookFormat& format);
