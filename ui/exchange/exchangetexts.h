#pragma once

#include <windows.h>

#include "base/bstr.h"

// The boxes every dialog shows around an exchange with the service.
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
