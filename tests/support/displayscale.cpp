#include "displayscale.h"

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogPixels[] = L"LogPixels";

void SetLogPixels(DWORD dpi)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof(dpi));
}

}  // namespace

CDisplayScale::CDisplayScale(DWORD dpi)
{
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &dwValue, &cb) ==
        ERROR_SUCCESS) {
        m_previous = dwValue;
    }
    SetLogPixels(dpi);
}

CDisplayScale::~CDisplayScale()
{
    if (m_previous) {
        SetLogPixels(*m_previous);
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    }
}
