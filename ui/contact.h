#pragma once

#include "base/bstr.h"

// One contact of the member as the console lists it.
class CContact {
public:
    CBstr m_bstrId;
    CBstr m_bstrName;
    CBstr m_bstrNumber;
    // Chosen as a recipient of the message being sent.
    bool m_bSelected = false;
};
