#include "net/exchangebounds.h"

#include "settings/regvalue.h"

namespace {

DWORD ReadSeconds(LPCWSTR pszValueName, DWORD dwDefault)
{
    DWORD dwSeconds = dwDefault;
    CRegValue<DWORD>(HKEY_CURRENT_USER, kSettingsKey, pszValueName, dwDefault).Get(dwSeconds);
    if (dwSeconds < 1 || dwSeconds > CExchangeBounds::kMaxSeconds) {
        dwSeconds = dwDefault;
    }
    return dwSeconds * 1000;
}

}  // namespace

DWORD CExchangeBounds::TimeoutMs() { return ReadSeconds(kTimeoutValueName, kDefaultTimeoutSeconds); }

DWORD CExchangeBounds::AnswerDeadlineMs()
{
    return ReadSeconds(kAnswerDeadlineValueName, kDefaultAnswerDeadlineSeconds);
}
