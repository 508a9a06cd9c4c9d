#pragma once

#include <windows.h>

#include <string>

#include "addressbook/addressbooklimits.h"
#include "addressbook/addressbookreader.h"

// The Windows side of an address book file: reading one for the reader, and
// writing one so that a failure never leaves a half-written file.

inline constexpr ULONGLONG kLargestAddressBookBytes = kMaxAddressBookBytes;

enum class FileReadEnd { Read, CannotOpen, TooLarge, ReadFailed };

// The whole file, at most kLargestAddressBookBytes, into bytes.
FileReadEnd ReadAddressBookFileBytes(LPCWSTR pszPath, std::string& bytes);

// The reader's decoder: bytes in a Windows code page (0: the system's, for
// text without a byte order mark that is not UTF-8 and names no charset).
bool DecodeCodePage(unsigned nCodePage, const char* pch, size_t cb, std::u16string& text);

enum class FileWriteStep { Done, CreateTemporary, Write, Replace };

struct FileWriteEnd {
    FileWriteStep step;
    DWORD dwError;  // GetLastError of the step that failed
};

// Writes the bytes to a new file beside the target, flushes it and moves it
// over the target. On failure the new file is gone and any earlier file whole.
FileWriteEnd WriteFileReplacing(const std::wstring& path, const std::string& bytes);
