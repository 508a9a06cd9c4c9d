#pragma once

#include <windows.h>

#include <string>

// Puts the contacts on the clipboard, in place of what was there: as Unicode
// text, and as CSV in a format of the program's own, from which a paste gets
// their first and last names back as they were. False when the clipboard
// cannot be opened (another program holds it) or the memory cannot be had.
bool PutContactsOnClipboard(HWND hWndOwner, const std::u16string& text, const std::string& csv);

bool ClipboardHasText();

enum class ClipboardRead { NoText, Busy, TooLarge, Read };

// What a paste reads: the program's own CSV when the clipboard has it, else
// the Unicode text as UTF-16 with its byte order mark; at most cbMax bytes.
// Busy: another program holds the clipboard.
ClipboardRead ReadClipboardContacts(HWND hWndOwner, size_t cbMax, std::string& bytes);
