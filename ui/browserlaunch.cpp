#include "ui/browserlaunch.h"

#include <shellapi.h>

#include <string>

#include "base/handles.h"

namespace {

constexpr char kProbeText[] = "<html></html>";
constexpr int kTempNameAttempts = 16;

// A small ".htm" file that exists only to ask the shell which program opens
// such files. It is created exclusively, so the launch never overwrites a file
// of somebody else's, and only a file this object created is deleted.
class CProbeFile {
public:
    CProbeFile() { m_bCreated = CreateInWorkingDirectory() || CreateInTempFolder(); }
    ~CProbeFile()
    {
        if (m_bCreated) {
            ::DeleteFileA(m_path.c_str());
        }
    }
    CProbeFile(const CProbeFile&) = delete;
    CProbeFile& operator=(const CProbeFile&) = delete;

    bool IsCreated() const { return m_bCreated; }
    const char* Path() const { return m_path.c_str(); }

private:
    bool CreateInWorkingDirectory()
    {
        char cPath[MAX_PATH];
        DWORD cch = ::GetCurrentDirectoryA(MAX_PATH, cPath);
        if (cch == 0 || cch >= MAX_PATH) {
            return false;
        }
        std::string directory(cPath, cch);
        if (directory.back() != '\\') {
            directory += '\\';
        }
        return CreateExclusively(directory + "temp.htm");
    }

    bool CreateInTempFolder()
    {
        char cPath[MAX_PATH];
        DWORD cch = ::GetTempPathA(MAX_PATH, cPath);
        if (cch == 0 || cch >= MAX_PATH) {
            return false;
        }
        std::string directory(cPath, cch);
        for (int nAttempt = 0; nAttempt < kTempNameAttempts; ++nAttempt) {
            std::string name = "qb" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(::GetTickCount()) + "-" + std::to_string(nAttempt) + ".htm";
            if (CreateExclusively(directory + name)) {
                return true;
            }
        }
        return false;
    }

    bool CreateExclusively(const std::string& path)
    {
        CFileHandle hFile(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        if (!hFile) {
            return false;
        }
        m_path = path;
        DWORD cbWritten = 0;
        // A failed write still leaves a file the shell can classify by its extension.
        ::WriteFile(hFile.Get(), kProbeText, sizeof(kProbeText) - 1, &cbWritten, nullptr);
        return true;
    }

    std::string m_path;
    bool m_bCreated = false;
};

bool FindBrowser(char (&browserpath)[MAX_PATH])
{
    browserpath[0] = '\0';
    CProbeFile probe;
    if (!probe.IsCreated()) {
        return false;
    }
    INT_PTR nResult = reinterpret_cast<INT_PTR>(::FindExecutableA(probe.Path(), nullptr, browserpath));
    return nResult > 32 && browserpath[0] != '\0';
}

}  // namespace

void OpenUrlInBrowser(HWND hWndOwner, const CBstr& bstrUrl)
{
    char browserpath[MAX_PATH];
    if (!FindBrowser(browserpath)) {
        return;
    }
    std::string parameters = bstrUrl.ToAnsi();
    SHELLEXECUTEINFOA ei = {};
    ei.cbSize = sizeof(ei);
    // A program that cannot be started is a silent failure like the others,
    // not a box of the shell's own.
    ei.fMask = SEE_MASK_FLAG_NO_UI;
    ei.hwnd = hWndOwner;
    ei.lpVerb = "open";
    ei.lpFile = browserpath;
    ei.lpParameters = parameters.c_str();
    ei.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExA(&ei);
}
