#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Starts orvexapp.exe and drives its windows from outside, as a member would:
// only window messages, never the program's own code.
struct MessageBoxInfo {
    HWND hWnd = nullptr;
    std::wstring text;
    std::wstring caption;
};

class CAppDriver {
public:
    // Generous, for a shared and loaded machine: a wait ends as soon as its
    // state holds, so only a failing test waits this long.
    static constexpr DWORD kDefaultTimeoutMs = 60000;

    CAppDriver() = default;
    ~CAppDriver();
    CAppDriver(const CAppDriver&) = delete;
    CAppDriver& operator=(const CAppDriver&) = delete;

    enum class OutputMode { Collect, None, Inherit };

    // The program under test (ProgramUnderTest()), with these arguments, in the
    // given working directory (the test's own when empty). Standard output and
    // error are collected for Output(), left unset as for a member's run, or
    // the driver's own.
    bool Start(const std::wstring& arguments = L"", const std::wstring& workingDirectory = L"",
               OutputMode outputMode = OutputMode::Collect);
    // Starts this program instead of the one under test (an installed copy, say).
    void UseProgram(const std::wstring& path) { m_program = path; }
    // Watches the windows of a process that is already running (for tests
    // that run dialogs in their own process).
    void Watch(DWORD processId) { m_processId = processId; }
    bool IsRunning() const;
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_hProcess; }
    // Exit code, or nothing when the process is still running after the wait.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
    void Terminate();
    // Leaves the program running when the driver goes away.
    void Detach();
    // Everything the program wrote to its standard output and error so far,
    // waiting for the end of the output once the program has exited.
    std::string Output();

    // A visible top-level dialog of the program with exactly this caption.
    HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = kDefaultTimeoutMs) const;
    HWND FindVisibleWindow(const std::wstring& caption) const;
    // A visible top-level window of the program with a child of this id.
    HWND FindVisibleWindowWithItem(int nId) const;
    // The window's thread is past its exchanges: an exchange answers sent
    // messages, so one answered message no longer says that it is over.
    bool SyncAfterExchanges(HWND hWnd, DWORD timeoutMs = kDefaultTimeoutMs) const;
    // The next message box of the program, whatever its caption.
    std::optional<MessageBoxInfo> WaitForMessageBox(DWORD timeoutMs = kDefaultTimeoutMs) const;
    std::optional<MessageBoxInfo> FindMessageBox() const;
    // Answers a message box with a button id (IDOK, IDYES, IDNO).
    static void Answer(const MessageBoxInfo& box, int nButtonId = IDOK);
    // True when the window has been destroyed within the wait. A dialog hides
    // before its modal loop ends and is destroyed after it, so only then has
    // the code that opened it carried on.
    static bool WaitUntilWindowGone(HWND hWnd, DWORD timeoutMs = kDefaultTimeoutMs);
    std::vector<HWND> VisibleWindows() const;

private:
    void CloseHandles();

    // Shared with the thread that drains the program's output pipe, which may
    // outlive the driver when something the program started keeps the pipe open.
    struct OutputState {
        std::mutex mutex;
        std::string text;
        bool bEnded = false;
        HANDLE hRead = nullptr;
        ~OutputState();
    };

    std::wstring m_program;
    HANDLE m_hProcess = nullptr;
    DWORD m_processId = 0;
    std::shared_ptr<OutputState> m_output;
};

// Control helpers; all of them wait until the program has handled the message
// except Click and PressKey, which post, because they may open a modal box.
namespace ui {
void TypeText(HWND hDlg, int nId, const std::wstring& text);
void SetText(HWND hDlg, int nId, const std::wstring& text);
std::wstring GetText(HWND hWnd);
std::wstring GetItemText(HWND hDlg, int nId);
void Click(HWND hDlg, int nId);
// Sent instead: returns once the handler has (for a click that opens no box).
bool ClickAndWait(HWND hDlg, int nId);
void PressKey(HWND hWnd, UINT vk);
bool IsEnabled(HWND hDlg, int nId);
bool IsVisible(HWND hDlg, int nId);
std::vector<std::wstring> ListRows(HWND hDlg, int nId);
// A report list-view's rows in any program, each row's cells joined by "|".
std::vector<std::wstring> ListViewRows(HWND hDlg, int nId);
std::vector<int> ListSelection(HWND hDlg, int nId);
// Real input, routed by the system as a member's own (SendInput): the
// control's top-level window goes to the top, the cursor to the middle of the
// control, and the left button down and up there. Returns at once.
void RealClick(HWND hDlg, int nId);
// Key presses of the text's characters, then of the key when given, to the
// window with the focus once hTopLevel is brought to the front.
void RealType(HWND hTopLevel, const std::wstring& text, WORD vkAfter = 0);
// A click on a row with Ctrl held, as a member adds rows to a selection; it
// returns once the list and its dialog have handled the press and the release.
void CtrlClickListRow(HWND hDlg, int nId, int nRow);
// Returns once the window's thread takes messages again: a message sent now is
// handled at its next look at the queue, before anything posted after it.
bool Sync(HWND hWnd);
// Polls until the whole expected state holds; false when the wait ran out.
bool WaitFor(DWORD timeoutMs, const std::function<bool()>& state);
bool WaitFor(const std::function<bool()>& state);
}  // namespace ui

// Text helpers for tests.
std::string Narrow(const std::wstring& text);
std::wstring Widen(const std::string& text);
std::wstring TestDirectory();  // folder of the test executable, with trailing backslash
// The program the tests drive: the one QB_PROGRAM names (a Windows path, or a
// Unix one, which Wine sees under Z:), else orvexapp.exe beside the test
// executable. The shipped i686 build runs the same tests this way.
std::wstring ProgramUnderTest();
// A 32-bit program runs under WoW64 and sees the 32-bit registry view.
bool IsProgramUnderTest32Bit();
REGSAM ProgramRegistryView();  // KEY_WOW64_32KEY or KEY_WOW64_64KEY
std::wstring MakeTempDirectory();
