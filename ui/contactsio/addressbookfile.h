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

// Where the earlier file of the target's name is after a failed replace.
enum class EarlierFile {
    Unchanged,  // in place, as it was (or there was none)
    Renamed,    // whole, under earlierPath
    Gone
};

struct FileWriteEnd {
    FileWriteEnd(FileWriteStep stepEnded, DWORD dwErrorOfStep) : step(stepEnded), dwError(dwErrorOfStep) {}

    FileWriteStep step;
    DWORD dwError;  // GetLastError of the step that failed
    EarlierFile earlier = EarlierFile::Unchanged;
    std::wstring earlierPath;
    std::wstring newPath;  // not empty: the new file, kept under this name
};

// Writes the bytes to a new file beside the target, flushes it and moves it
// over the target. A replace refused because somebody has a file open (an
// antivirus or an indexer, for a moment) is tried again for about 2 s, the
// thread waiting modally in between. Nothing is deleted that holds the only
// copy of the earlier file; where the new file cannot take its place, it is
// deleted while the earlier file is in place, kept otherwise.
FileWriteEnd WriteFileReplacing(const std::wstring& path, const std::string& bytes);
