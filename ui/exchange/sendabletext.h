#pragma once

#include <windows.h>

#include <initializer_list>

#include "base/bstr.h"

// The service receives only the low eight bits of each character, so a
// character above U+00FF would arrive as a different one. These find such
// characters before anything is sent.

// Each offending character once, in order of appearance across the texts.
CBstr UnsendableCharacters(std::initializer_list<const CBstr*> texts);

// False, after telling the member in a box owned by hWndOwner, when any of the
// texts holds a character the service cannot receive.
bool CheckSendable(HWND hWndOwner, std::initializer_list<const CBstr*> texts);

// The same for the password, whose box names the field and never a character
// of it: the box may end up on a screenshot.
bool CheckSendablePassword(HWND hWndOwner, const CBstr& bstrPassword);
