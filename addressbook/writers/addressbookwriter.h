#pragma once

#include <string>
#include <vector>

#include "addressbook/csv/formulaguard.h"

// A contact as the service sent it.
struct ExportContact {
    std::u16string firstName, lastName, number;
};

// vCard 3.0 (N, FN, TEL;TYPE=CELL), UTF-8 without a byte order mark, CRLF,
// text escaped and lines folded at 75 octets as RFC 2426 asks.
std::string WriteVCard(const std::vector<ExportContact>& contacts);
// UTF-8 with a byte order mark so that spreadsheets read it as UTF-8; the header
// "First Name,Last Name,Mobile Number", RFC 4180 quoting, CRLF, every cell
// formula-guarded. A cell with blanks at either end is quoted too, so that
// reading it back keeps them.
std::string WriteCsv(const std::vector<ExportContact>& contacts);
// "First Last\tnumber\r\n" per contact, each field formula-guarded, and
// quoted where it would not read back as it stands (a leading quote, blanks
// at either end, a tab or a line end inside).
std::u16string ClipboardText(const std::vector<ExportContact>& contacts);
