#pragma once

#include <windows.h>

#include <optional>

#include "base/bstr.h"
#include "base/handles.h"
#include "ui/dialogs/internetaccessprogress.h"

// What the dialogs show around an exchange with the service.
inline constexpr wchar_t kNoInternetText[] =
    L"Cannot connect to the Internet. Please check internet settings and try again.";
inline constexpr wchar_t kNoInternetCaption[] = L"Cannot Connect to Internet";
inline constexpr wchar_t kNoServerText[] =
    L"The Quillbay Console cannot connect to it's Server. Please try again later.";
inline constexpr wchar_t kNoServerCaption[] = L"Cannot Connect to Quillbay";
// A send whose request went out without a whole answer coming back.
inline constexpr wchar_t kNoAnswerText[] = L"The Quillbay Console did not receive an answer from its Server. Your "
                                           L"message may have been sent: please check before you send it again.";
inline constexpr wchar_t kNoAnswerCaption[] = L"No Answer from Quillbay";
inline constexpr wchar_t kUpdateRequiredCaption[] = L"Update Required";

// "A Critical Update is required. Please visit <host> to obtain the new version."
CBstr UpdateRequiredText();

// What the member sees while an exchange runs: the progress window (a bar in
// four steps and "Connecting to Server...") and then the wait cursor. When the
// exchange ends the window closes first and the cursor comes back after it;
// declared before the exchange's session, it outlives that session.
class CExchangeProgress {
public:
    explicit CExchangeProgress(HWND hWndOwner);
    ~CExchangeProgress();
    CExchangeProgress(const CExchangeProgress&) = delete;
    CExchangeProgress& operator=(const CExchangeProgress&) = delete;

    CInternetAccessProgress& Window() { return m_dlgProgress; }

private:
    CInternetAccessProgress m_dlgProgress;
    std::optional<CWaitCursor> m_waitCursor;
};
