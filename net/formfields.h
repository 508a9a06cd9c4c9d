#pragma once

#include <map>

#include "base/bstr.h"

// The fields of one command request. Names are kept in lower case, so setting
// "ACTION" and then "action" leaves one field; the body lists the fields in
// the order of their names.
class FormFields {
public:
    FormFields() = default;
    virtual ~FormFields() = default;

    void SetField(const CBstr& name, const CBstr& value);
    void SetField(LPCWSTR pszName, const CBstr& value) { SetField(CBstr(pszName), value); }
    void SetField(LPCWSTR pszName, LPCWSTR pszValue) { SetField(CBstr(pszName), CBstr(pszValue)); }

    // name=value pairs joined with "&", values percent-encoded, names as
    // stored. Always succeeds.
    bool BuildRequest(CBstr& body);

private:
    // The user's locale decides the order, letter case significant.
    struct NameLess {
        bool operator()(const CBstr& left, const CBstr& right) const;
    };
    using FieldMap = std::map<CBstr, CBstr, NameLess>;

    FieldMap m_fields;
};
