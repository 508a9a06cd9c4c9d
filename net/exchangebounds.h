#pragma once

#include <windows.h>

// How long one exchange with the service may take. The defaults suit a slow
// line; an administrator (or a test) can change them through DWORD values in
// seconds beside the window placement. A value that is absent or out of range
// reads as the default.
class CExchangeBounds {
public:
    static constexpr DWORD kDefaultTimeoutSeconds = 30;          // connect, send and each receive
    static constexpr DWORD kDefaultAnswerDeadlineSeconds = 120;  // one whole answer, 10 MB on a slow line
    static constexpr DWORD kMaxSeconds = 3600;

    static constexpr wchar_t kTimeoutValueName[] = L"Service Timeout Seconds";
    static constexpr wchar_t kAnswerDeadlineValueName[] = L"Service Answer Deadline Seconds";

    static DWORD TimeoutMs();
    static DWORD AnswerDeadlineMs();
};
