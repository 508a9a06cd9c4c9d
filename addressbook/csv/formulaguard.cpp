#include "addressbook/csv/formulaguard.h"

namespace {

bool StartsFormula(const std::u16string& text, size_t nAt)
{
    if (nAt >= text.size()) {
        return false;
    }
    const char16_t ch = text[nAt];
    return ch == u'=' || ch == u'+' || ch == u'-' || ch == u'@' || ch == u'\t' || ch == u'\r';
}

}  // namespace

std::u16string GuardFormula(const std::u16string& cell)
{
    return StartsFormula(cell, 0) ? u"'" + cell : cell;
}

std::u16string UnguardFormula(const std::u16string& cell)
{
    return !cell.empty() && cell[0] == u'\'' && StartsFormula(cell, 1) ? cell.substr(1) : cell;
}
