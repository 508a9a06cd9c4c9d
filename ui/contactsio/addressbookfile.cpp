#include "ui/contactsio/addressbookfile.h"

#include <algorithm>
#include <climits>

#include "base/handles.h"
#include "base/messagewait.h"

namespace {

// The reader asks for its own chunk sizes; ReadFile takes a DWORD.
constexpr size_t kLargestRead = 1u << 30;
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNameTries = 16;
// How long a replace that somebody's open file refuses is tried again, and how often.
constexpr ULONGLONG kReplaceRetryMs = 2000;
constexpr DWORD kReplacePauseMs = 100;

bool WriteAll(HANDLE hFile, const std::string& bytes)
{
    size_t cbDone = 0;
    while (cbDone < bytes.size()) {
        const size_t cbLeft = bytes.size() - cbDone;
        DWORD dwWritten = 0;
        const DWORD dwWanted = static_cast<DWORD>(cbLeft < kLargestRead ? cbLeft : kLargestRead);
        if (!::WriteFile(hFile, bytes.data() + cbDone, dwWanted, &dwWritten, nullptr) ||
            dwWritten == 0) {
            return false;
        }
        cbDone += dwWritten;
    }
    return true;
}

// A new name in the target's own folder, so that the moves stay on its volume.
std::wstring NameBeside(const std::wstring& path, ULONGLONG ullSeed, LPCWSTR pszExtension)
{
    wchar_t szSuffix[32];
    ::wsprintfW(szSuffix, L".%08lx.%s", static_cast<unsigned long>(ullSeed & 0xFFFFFFFFu), pszExtension);
    return path + szSuffix;
}

ULONGLONG NameSeed() { return ::GetTickCount64() ^ (static_cast<ULONGLONG>(::GetCurrentProcessId()) << 20); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring FreeNameBeside(const std::wstring& path, LPCWSTR pszExtension)
{
    const ULONGLONG ullSeed = NameSeed();
    std::wstring name;
    for (int nTry = 0; nTry < kTemporaryNameTries && (name.empty() || Exists(name)); ++nTry) {
        name = NameBeside(path, ullSeed + nTry, pszExtension);
    }
    return name;
}

CFileHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath)
{
    const ULONGLONG ullSeed = NameSeed();
    for (int nTry = 0; nTry < kTemporaryNameTries; ++nTry) {
        temporaryPath = NameBeside(path, ullSeed + nTry, L"tmp");
        CFileHandle hFile(::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (hFile || ::GetLastError() != ERROR_FILE_EXISTS) {
            return hFile;
        }
    }
    return CFileHandle();
}

// Somebody has one of the files open, perhaps only for a moment.
bool MayPass(DWORD dwError)
{
    switch (dwError) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return true;
    default:
        return false;
    }
}

// One try; ERROR_SUCCESS when the new file took the target's name.
// ReplaceFileW keeps the earlier file's attributes and permissions, and with
// a backup name Windows documents where the earlier file is after every
// failure (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: under the backup name). Where
// the target's name is free, or ReplaceFileW fails for another reason, the new
// file is moved there.
DWORD MoveOver(const std::wstring& temporaryPath, const std::wstring& path, const std::wstring& backupPath)
{
    if (Exists(path)) {
        if (::ReplaceFileW(path.c_str(), temporaryPath.c_str(), backupPath.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
            return ERROR_SUCCESS;
        }
        const DWORD dwError = ::GetLastError();
        if (MayPass(dwError) && Exists(path)) {
            return dwError;
        }
    }
    if (!::MoveFileExW(temporaryPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

// After the last try: the new file is deleted only while the earlier one is in place.
void SettleFailedReplace(const std::wstring& temporaryPath, const std::wstring& path, const std::wstring& backupPath,
                         bool bHadEarlier, FileWriteEnd& end)
{
    if (!Exists(path) && Exists(backupPath) &&
        !::MoveFileExW(backupPath.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        end.earlier = EarlierFile::Renamed;
        end.earlierPath = backupPath;
    } else if (bHadEarlier && !Exists(path)) {
        end.earlier = EarlierFile::Gone;
    }
    if (Exists(path)) {
        ::DeleteFileW(backupPath.c_str());
        ::DeleteFileW(temporaryPath.c_str());
    } else {
        end.newPath = temporaryPath;
    }
}

}  // namespace

// Bytes a code page has no character for fail the conversion, so that the
// reader marks them unreadable rather than taking the system's stand-ins.
bool DecodeCodePage(unsigned nCodePage, const char* pch, size_t cb, std::u16string& text)
{
    if (cb == 0 || cb > static_cast<size_t>(INT_MAX)) {
        return cb == 0;
    }
    const UINT uCodePage = nCodePage == kSystemCodePage ? CP_ACP : nCodePage;
    const int cbText = static_cast<int>(cb);
    const int cchText = ::MultiByteToWideChar(uCodePage, MB_ERR_INVALID_CHARS, pch, cbText, nullptr, 0);
    if (cchText <= 0) {
        return false;
    }
    const size_t cchBefore = text.size();
    text.resize(cchBefore + static_cast<size_t>(cchText));
    return ::MultiByteToWideChar(uCodePage, MB_ERR_INVALID_CHARS, pch, cbText,
                                 reinterpret_cast<LPWSTR>(&text[cchBefore]), cchText) == cchText;
}

// Read whole, as large as it was when opened, so that a column chosen later
// reads the bytes the preview showed, without the disk.
FileReadEnd ReadAddressBookFileBytes(LPCWSTR pszPath, std::string& bytes)
{
    CFileHandle hFile(::CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!hFile || !::GetFileSizeEx(hFile.Get(), &size)) {
        return FileReadEnd::CannotOpen;
    }
    if (static_cast<ULONGLONG>(size.QuadPart) > kLargestAddressBookBytes) {
        return FileReadEnd::TooLarge;
    }
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t cbDone = 0;
    while (cbDone < bytes.size()) {
        DWORD dwRead = 0;
        const DWORD dwWanted = static_cast<DWORD>(std::min(bytes.size() - cbDone, kLargestRead));
        if (!::ReadFile(hFile.Get(), &bytes[cbDone], dwWanted, &dwRead, nullptr)) {
            return FileReadEnd::ReadFailed;
        }
        if (dwRead == 0) {
            break;
        }
        cbDone += dwRead;
    }
    bytes.resize(cbDone);
    return FileReadEnd::Read;
}

FileWriteEnd WriteFileReplacing(const std::wstring& path, const std::string& bytes)
{
    std::wstring temporaryPath;
    CFileHandle hFile = CreateTemporaryBeside(path, temporaryPath);
    if (!hFile) {
        return {FileWriteStep::CreateTemporary, ::GetLastError()};
    }
    if (!WriteAll(hFile.Get(), bytes) || !::FlushFileBuffers(hFile.Get())) {
        const DWORD dwError = ::GetLastError();
        hFile.Reset();
        ::DeleteFileW(temporaryPath.c_str());
        return {FileWriteStep::Write, dwError};
    }
    hFile.Reset();
    const bool bHadEarlier = Exists(path);
    const std::wstring backupPath = FreeNameBeside(path, L"bak");
    const ULONGLONG ullStart = ::GetTickCount64();
    for (;;) {
        const DWORD dwError = MoveOver(temporaryPath, path, backupPath);
        if (dwError == ERROR_SUCCESS) {
            ::DeleteFileW(backupPath.c_str());
            return {FileWriteStep::Done, ERROR_SUCCESS};
        }
        if (!MayPass(dwError) || ::GetTickCount64() - ullStart >= kReplaceRetryMs) {
            FileWriteEnd end = {FileWriteStep::Replace, dwError};
            SettleFailedReplace(temporaryPath, path, backupPath, bHadEarlier, end);
            return end;
        }
        WaitModally(nullptr, kReplacePauseMs);
    }
}
