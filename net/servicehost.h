#pragma once

// The service's web host is fixed when the program is built.
#ifndef QUILLBAY_SERVICE_HOST
#error "QUILLBAY_SERVICE_HOST must name the service's web host"
#endif

inline constexpr char kServiceHost[] = QUILLBAY_SERVICE_HOST;

// Shown in the captions and sent as VERSION with every command.
inline constexpr wchar_t kClientVersion[] = L"1.0";
