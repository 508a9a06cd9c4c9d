#include "ui/contactsio/addressbookfile.h"

#include <algorithm>
#include <climits>

#include "base/handles.h"

namespace {

// The reader asks for its own chunk sizes; ReadFile takes a DWORD.
constexpr size_t kLargestRead = 1u << 30;
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNameTries = 16;

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

// A name of the target's own folder, so that the move stays on its volume.
CFileHandle CreateTemporaryBeside(const std::wstring& path, std::wstring& temporaryPath)
{
    const ULONGLONG ullSeed = ::GetTickCount64() ^ (static_cast<ULONGLONG>(::GetCurrentProcessId()) << 20);
    for (int nTry = 0; nTry < kTemporaryNameTries; ++nTry) {
        wchar_t szSuffix[32];
        ::wsprintfW(szSuffix, L".%08lx.tmp", static_cast<unsigned long>((ullSeed + nTry) & 0xFFFFFFFFu));
        temporaryPath = path + szSuffix;
        CFileHandle hFile(::CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (hFile || ::GetLastError() != ERROR_FILE_EXISTS) {
            return hFile;
        }
    }
    return CFileHandle();
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MoveOver(const std::wstring& temporaryPath, const std::wstring& path)
{
    // ReplaceFileW keeps the earlier file's attributes and permissions.
    if (Exists(path) && ::ReplaceFileW(path.c_str(), temporaryPath.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                       nullptr, nullptr)) {
        return true;
    }
    // Also where ReplaceFileW took the earlier file away but could not rename
    // the new one (ERROR_UNABLE_TO_MOVE_REPLACEMENT).
    return ::MoveFileExW(temporaryPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
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
    if (!MoveOver(temporaryPath, path)) {
        const DWORD dwError = ::GetLastError();
        // Never the only copy: kept when the earlier file is already gone.
        if (Exists(path)) {
            ::DeleteFileW(temporaryPath.c_str());
        }
        return {FileWriteStep::Replace, dwError};
    }
    return {FileWriteStep::Done, ERROR_SUCCESS};
}
