#include "ui/system/browserlaunch.h"

#include <shellapi.h>

#include <string>

#include "base/apartmentcall.h"
#include "base/handles.h"

namespace {

constexpr char kProbeText[] = "<html></html>";
constexpr int kTempNameAttempts = 16;

// A small ".htm" file that exists only to ask the shell which program opens
// such files. It is made in the user's temporary folder under a name of its
// own, never in the current folder (which a file dialog may have left in one
// of the member's), created exclusively so that nobody else's file is
// touched, and deleted afterwards. Its path is wide, so that a folder named
// in any language works.
class CProbeFile {
public:
    CProbeFile() { m_bCreated = CreateInTempFolder(); }
    ~CProbeFile()
    {
        if (m_bCreated) {
            ::DeleteFileW(m_path.c_str());
        }
    }
    CProbeFile(const CProbeFile&) = delete;
    CProbeFile& operator=(const CProbeFile&) = delete;

    bool IsCreated() const { return m_bCreated; }
    LPCWSTR Path() const { return m_path.c_str(); }

private:
    bool CreateInTempFolder()
    {
        wchar_t cPath[MAX_PATH];
        DWORD cch = ::GetTempPathW(MAX_PATH, cPath);
        if (cch == 0 || cch >= MAX_PATH) {
            return false;
        }
        std::wstring directory(cPath, cch);
        for (int nAttempt = 0; nAttempt < kTempNameAttempts; ++nAttempt) {
            std::wstring name = L"qb" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(nAttempt) + L".htm";
            if (CreateExclusively(directory + name)) {
                return true;
            }
        }
        return false;
    }

    bool CreateExclusively(const std::wstring& path)
    {
        CFileHandle hFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
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

    std::wstring m_path;
    bool m_bCreated = false;
};

// The program the shell would open the probe file with; empty when there is none.
std::wstring FindBrowser()
{
    CProbeFile probe;
    if (!probe.IsCreated()) {
        return std::wstring();
    }
    wchar_t browserpath[MAX_PATH] = {};
    INT_PTR nResult = reinterpret_cast<INT_PTR>(::FindExecutableW(probe.Path(), nullptr, browserpath));
    return nResult > 32 ? std::wstring(browserpath) : std::wstring();
}

// Without SEE_MASK_FLAG_NO_UI the shell would show boxes of its own (no
// program, cannot start it): a failure here stays silent. SEE_MASK_NOASYNC:
// the thread that calls ends right after, so the shell must be done by then.
bool ShellOpen(HWND hWndOwner, LPCWSTR pszFile, LPCWSTR pszParameters)
{
    SHELLEXECUTEINFOW ei = {};
    ei.cbSize = sizeof(ei);
    ei.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    ei.hwnd = hWndOwner;
    ei.lpVerb = L"open";
    ei.lpFile = pszFile;
    ei.lpParameters = pszParameters;
    ei.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&ei) != FALSE;
}

// An ".htm" association without a command of its own (a browser from the
// Store, say) finds no program, though the shell knows the member's browser
// for the page's scheme: the URL itself then goes to the shell.
void OpenWithShell(HWND hWndOwner, LPCWSTR pszUrl)
{
    std::wstring browserpath = FindBrowser();
    if (!browserpath.empty() && ShellOpen(hWndOwner, browserpath.c_str(), pszUrl)) {
        return;
    }
    ShellOpen(hWndOwner, pszUrl, nullptr);
}

}  // namespace

void OpenUrlInBrowser(HWND hWndOwner, const CBstr& bstrUrl)
{
    auto open = [&] { OpenWithShell(hWndOwner, bstrUrl.c_str()); };
    // Without a thread of its own the shell is asked from this one, where it may still manage.
    if (!RunInSingleThreadedApartment(open)) {
        open();
    }
}
