#pragma once

#include <windows.h>

// One contact of the member as the console lists it. The texts are
// NUL-terminated wide strings held by the console's text pool, which outlives
// every record; they are never null.
class CContact {
public:
    LPCWSTR m_bstrId = L"";
    LPCWSTR m_bstrName = L"";
    LPCWSTR m_bstrNumber = L"";
    // The name as the service sent it, in its two parts ("fn", "ln").
    LPCWSTR m_bstrFirstName = L"";
    LPCWSTR m_bstrLastName = L"";
    // Chosen as a recipient of the message being sent.
    bool m_bSelected = false;
};
