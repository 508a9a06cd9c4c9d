#pragma once

#include <windows.h>

#include <string>

#include "ui/internetaccessprogress.h"

// What the dialogs show around an exchange with the service.
inline constexpr char kNoInternetText[] =
    "Cannot connect to the Internet. Please check internet settings and try again.";
inline constexpr char kNoInternetCaption[] = "Cannot Connect to Internet";
inline constexpr char kNoServerText[] =
    "The Quillbay Console cannot connect to it's Server. Please try again later.";
inline constexpr char kNoServerCaption[] = "Cannot Connect to Quillbay";
inline constexpr char kUpdateRequiredCaption[] = "Update Required";

// "A Critical Update is required. Please visit <host> to obtain the new version."
std::string UpdateRequiredText();

// Shows the progress window as every exchange opens: a bar in four steps and
// "Connecting to Server...".
void StartExchangeProgress(CInternetAccessProgress& dlgProgress, HWND hWndOwner);
