#include "net/formfields.h"

#include <string>
#include <vector>

#include "net/formencoder.h"

namespace {

// Lower-cases through the thread's ANSI code page; on any failure the name
// stays as it was.
CBstr LowerCaseName(const CBstr& name)
{
    if (name.IsEmpty()) {
        return name;
    }
    std::string ansi = name.ToAnsi();
    if (ansi.empty()) {
        return name;
    }
    ::CharLowerBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
    CBstr lowered = CBstr::FromAnsi(ansi.data(), static_cast<int>(ansi.size()));
    return lowered.IsEmpty() ? name : lowered;
}

}  // namespace

bool FormFields::NameLess::operator()(const CBstr& left, const CBstr& right) const
{
    return ::VarBstrCmp(left.Get(), right.Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_LT;
}

void FormFields::SetField(const CBstr& name, const CBstr& value)
{
    CBstr lowered = LowerCaseName(name);
    m_fields.erase(lowered);
    m_fields.emplace(std::move(lowered), value);
}

bool FormFields::BuildRequest(CBstr& body)
{
    body.Empty();
    FormEncoder encoder;
    std::vector<CBstr> values;
    size_t cch = 0;
    for (const auto& field : m_fields) {
        values.push_back(encoder.Encode(field.second));
        cch += field.first.Length() + values.back().Length() + 2;
    }
    // The body holds the password: built in one block of its final size and
    // wiped, so that growing leaves no copy behind.
    std::wstring text;
    text.reserve(cch);
    size_t i = 0;
    for (const auto& field : m_fields) {
        if (!text.empty()) {
            text.push_back(L'&');
        }
        text.append(field.first.c_str(), field.first.Length());
        text.push_back(L'=');
        text.append(values[i].c_str(), values[i].Length());
        ++i;
    }
    body = CBstr(text.c_str(), static_cast<UINT>(text.size()));
    ::SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
    return true;
}
