#pragma once

#include <windows.h>

#include <optional>

// The display scale (LogPixels) that programs started from now on take: Wine
// reads it once, when a process starts. The setting before is put back when
// the object goes, so that programs started later are not affected.
class CDisplayScale {
public:
    explicit CDisplayScale(DWORD dpi);
    ~CDisplayScale();
    CDisplayScale(const CDisplayScale&) = delete;
    CDisplayScale& operator=(const CDisplayScale&) = delete;

private:
    std::optional<DWORD> m_previous;
};
