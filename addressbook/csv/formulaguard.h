#pragma once

#include <string>

// A spreadsheet runs a cell that starts with =, +, -, @, a tab or a carriage
// return as a formula; a leading apostrophe makes it text, and import removes
// that apostrophe again (only where one of those characters follows it).
std::u16string GuardFormula(const std::u16string& cell);
std::u16string UnguardFormula(const std::u16string& cell);
