#include "app/commandline.h"

LPCSTR FindNextSwitch(LPCSTR psz, LPCSTR szTokens)
{
    for (; *psz; psz = ::CharNextA(psz)) {
        for (LPCSTR pToken = szTokens; *pToken; pToken = ::CharNextA(pToken)) {
            if (*psz == *pToken) {
                return ::CharNextA(psz);
            }
        }
    }
    return nullptr;
}

RegistrationSwitch ScanRegistrationSwitch(LPCSTR pszCommandLine)
{
    const char szTokens[] = "-/";
    for (LPCSTR pszToken = FindNextSwitch(pszCommandLine, szTokens); pszToken;
         pszToken = FindNextSwitch(pszToken, szTokens)) {
        if (::lstrcmpiA(pszToken, "UnregServer") == 0) {
            return RegistrationSwitch::Unregister;
        }
        if (::lstrcmpiA(pszToken, "RegServer") == 0) {
            return RegistrationSwitch::Register;
        }
    }
    return RegistrationSwitch::None;
}
