#pragma once

#include <windows.h>

#include <string>

#include "addressbook/addressbookreader.h"

// The Windows side of an address book file: reading one in chunks through the
// reader, and writing one so that a failure never leaves a half-written file.

inline constexpr ULONGLONG kLargestAddressBookBytes = 256ull * 1024 * 1024;

enum class FileReadEnd { Read, CannotOpen, TooLarge };

// On Read, result holds what the reader made of the file.
FileReadEnd ReadAddressBookFile(LPCWSTR pszPath, ReadResult& result);

// Text without a byte order mark that is not UTF-8 is in the system's code page.
std::u16string DecodeAnsi(const char* pch, size_t cb);

enum class FileWriteStep { Done, CreateTemporary, Write, Replace };

struct FileWriteEnd {
    FileWriteStep step;
    DWORD dwError;  // GetLastError of the step that failed
};

// Writes the bytes to a new file beside the target, flushes it and moves it
// over the target. On failure the new file is gone and any earlier file whole.
FileWriteEnd WriteFileReplacing(const std::wstring& path, const std::string& bytes);
