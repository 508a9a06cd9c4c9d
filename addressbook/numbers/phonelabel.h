#pragma once

#include <string>

#include "addressbook/addressbookreader.h"

// What a telephone's type or label says of its kind, in the words phones and
// mail programs use: vCard's CELL, TEXT, FAX and PAGER, Google's "Mobile",
// "Work Mobile" and "Home Fax", Apple's "_$!<Mobile>!$_" and "iPhone", and
// the labels of other languages ("Handy", "Mobil", "Portable", "Cellulare").
// Other for any other label.
PhoneKind KindOfLabel(const std::u16string& label);
