#include "appdriver.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "resource.h"

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr DWORD kPollMs = 20;
// A busy program answers late, not never; a hung one fails the test anyway.
constexpr UINT kSendTimeoutMs = CAppDriver::kDefaultTimeoutMs;

std::wstring ClassName(HWND hWnd)
{
    wchar_t name[64] = {};
    ::GetClassNameW(hWnd, name, 64);
    return name;
}

struct EnumContext {
    DWORD processId;
    std::vector<HWND>* pWindows;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    EnumContext* pContext = reinterpret_cast<EnumContext*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId == pContext->processId && ::IsWindowVisible(hWnd)) {
        pContext->pWindows->push_back(hWnd);
    }
    return TRUE;
}

bool TrySendW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    DWORD_PTR value = 0;
    bool bHandled = ::SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &value) != 0;
    result = static_cast<LRESULT>(value);
    return bHandled;
}

LRESULT SendW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    TrySendW(hWnd, uMsg, wParam, lParam, result);
    return result;
}

std::wstring QuoteArgument(const std::wstring& argument) { return L"\"" + argument + L"\""; }

}  // namespace

CAppDriver::~CAppDriver()
{
    Terminate();
    // Let the output reader see the end of the pipe, so that no thread of the
    // test is left inside a read when the test process exits.
    if (m_output && m_hProcess) {
        ui::WaitFor(kDefaultTimeoutMs, [this] {
            std::lock_guard<std::mutex> lock(m_output->mutex);
            return m_output->bEnded;
        });
    }
    CloseHandles();
}

CAppDriver::OutputState::~OutputState()
{
    if (hRead) {
        ::CloseHandle(hRead);
    }
}

bool CAppDriver::Start(const std::wstring& arguments, const std::wstring& workingDirectory, OutputMode outputMode)
{
    auto output = std::make_shared<OutputState>();
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hOutputWrite = nullptr;
    if (outputMode == OutputMode::Collect) {
        if (!::CreatePipe(&output->hRead, &hOutputWrite, &sa, 0)) {
            return false;
        }
        ::SetHandleInformation(output->hRead, HANDLE_FLAG_INHERIT, 0);
    } else if (outputMode == OutputMode::Inherit) {
        // An inheritable copy, closed here once the program has its own.
        ::DuplicateHandle(::GetCurrentProcess(), ::GetStdHandle(STD_OUTPUT_HANDLE), ::GetCurrentProcess(),
                          &hOutputWrite, 0, TRUE, DUPLICATE_SAME_ACCESS);
    }

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = hOutputWrite;
    si.hStdError = hOutputWrite;
    std::wstring commandLine = QuoteArgument(m_program.empty() ? ProgramUnderTest() : m_program);
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    PROCESS_INFORMATION pi = {};
    BOOL bStarted = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                     workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &si, &pi);
    if (hOutputWrite) {
        ::CloseHandle(hOutputWrite);
    }
    if (!bStarted) {
        return false;
    }
    ::CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_processId = pi.dwProcessId;
    if (outputMode != OutputMode::Collect) {
        return true;
    }
    m_output = output;
    std::thread([output] {
        // Large reads: under Wine each one is a round trip to the server, and a
        // small buffer makes the reader, not the program, set the pace.
        std::vector<char> buffer(1 << 16);
        DWORD cbRead = 0;
        while (::ReadFile(output->hRead, buffer.data(), static_cast<DWORD>(buffer.size()), &cbRead, nullptr) &&
               cbRead > 0) {
            std::lock_guard<std::mutex> lock(output->mutex);
            output->text.append(buffer.data(), cbRead);
        }
        std::lock_guard<std::mutex> lock(output->mutex);
        output->bEnded = true;
    }).detach();
    return true;
}

bool CAppDriver::IsRunning() const
{
    return m_hProcess && ::WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> CAppDriver::WaitForExit(DWORD timeoutMs)
{
    if (!m_hProcess || ::WaitForSingleObject(m_hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(m_hProcess, &exitCode);
    return exitCode;
}

void CAppDriver::Terminate()
{
    if (IsRunning()) {
        ::TerminateProcess(m_hProcess, 99);
        ::WaitForSingleObject(m_hProcess, kDefaultTimeoutMs);
    }
}

void CAppDriver::Detach()
{
    CloseHandles();
    m_processId = 0;
}

std::string CAppDriver::Output()
{
    if (!m_output) {
        return std::string();
    }
    auto ended = [this] {
        std::lock_guard<std::mutex> lock(m_output->mutex);
        return m_output->bEnded;
    };
    if (!IsRunning()) {
        ui::WaitFor(kDefaultTimeoutMs, ended);
    }
    std::lock_guard<std::mutex> lock(m_output->mutex);
    return m_output->text;
}

void CAppDriver::CloseHandles()
{
    if (m_hProcess) {
        ::CloseHandle(m_hProcess);
    }
    m_hProcess = nullptr;
    m_output.reset();
}

std::vector<HWND> CAppDriver::VisibleWindows() const
{
    std::vector<HWND> windows;
    EnumContext context = {m_processId, &windows};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

HWND CAppDriver::FindVisibleWindow(const std::wstring& caption) const
{
    for (HWND hWnd : VisibleWindows()) {
        if (ClassName(hWnd) == L"#32770" && ui::GetText(hWnd) == caption &&
            !::GetDlgItem(hWnd, kMessageBoxTextId)) {
            return hWnd;
        }
    }
    return nullptr;
}

HWND CAppDriver::FindVisibleWindowWithItem(int nId) const
{
    for (HWND hWnd : VisibleWindows()) {
        if (::GetDlgItem(hWnd, nId)) {
            return hWnd;
        }
    }
    return nullptr;
}

bool CAppDriver::SyncAfterExchanges(HWND hWnd, DWORD timeoutMs) const
{
    return ui::Sync(hWnd) && ui::WaitFor(timeoutMs, [&] { return !FindVisibleWindowWithItem(IDC_PROGRESS_BAR); }) &&
           ui::Sync(hWnd);
}

HWND CAppDriver::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const
{
    HWND hFound = nullptr;
    ui::WaitFor(timeoutMs, [&] { return (hFound = FindVisibleWindow(caption)) != nullptr; });
    return hFound;
}

std::optional<MessageBoxInfo> CAppDriver::FindMessageBox() const
{
    for (HWND hWnd : VisibleWindows()) {
        HWND hText = ::GetDlgItem(hWnd, kMessageBoxTextId);
        if (ClassName(hWnd) == L"#32770" && hText) {
            return MessageBoxInfo{hWnd, ui::GetText(hText), ui::GetText(hWnd)};
        }
    }
    return std::nullopt;
}

std::optional<MessageBoxInfo> CAppDriver::WaitForMessageBox(DWORD timeoutMs) const
{
    std::optional<MessageBoxInfo> box;
    ui::WaitFor(timeoutMs, [&] { return (box = FindMessageBox()).has_value(); });
    return box;
}

void CAppDriver::Answer(const MessageBoxInfo& box, int nButtonId)
{
    ::PostMessageW(box.hWnd, WM_COMMAND, MAKEWPARAM(nButtonId, BN_CLICKED), 0);
}

bool CAppDriver::WaitUntilWindowGone(HWND hWnd, DWORD timeoutMs)
{
    return ui::WaitFor(timeoutMs, [&] { return !::IsWindow(hWnd); });
}

namespace ui {

void TypeText(HWND hDlg, int nId, const std::wstring& text)
{
    HWND hEdit = ::GetDlgItem(hDlg, nId);
    for (wchar_t ch : text) {
        SendW(hEdit, WM_CHAR, ch, 1);
    }
}

void SetText(HWND hDlg, int nId, const std::wstring& text)
{
    SendW(::GetDlgItem(hDlg, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring GetText(HWND hWnd)
{
    int cch = static_cast<int>(SendW(hWnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(cch) + 1, L'\0');
    int cchRead = static_cast<int>(SendW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(cchRead < 0 ? 0 : cchRead));
    return text;
}

std::wstring GetItemText(HWND hDlg, int nId) { return GetText(::GetDlgItem(hDlg, nId)); }

void Click(HWND hDlg, int nId)
{
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}

bool ClickAndWait(HWND hDlg, int nId)
{
    LRESULT result = 0;
    return TrySendW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                    reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)), result);
}

void PressKey(HWND hWnd, UINT vk)
{
    ::PostMessageW(hWnd, WM_KEYDOWN, vk, 1);
    ::PostMessageW(hWnd, WM_KEYUP, vk, 0xC0000001);
}

void RealClick(HWND hDlg, int nId)
{
    RECT rc = {};
    ::SetWindowPos(::GetAncestor(hDlg, GA_ROOT), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::GetWindowRect(::GetDlgItem(hDlg, nId), &rc);
    const LONG x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    ::SetCursorPos(x, y);
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_MOUSE;
        input[i].mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input[i].mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | (i ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    }
    ::SendInput(2, input, sizeof(INPUT));
}

void RealType(HWND hTopLevel, const std::wstring& text, WORD vkAfter)
{
    ::SetForegroundWindow(hTopLevel);
    std::vector<INPUT> input;
    auto press = [&](WORD vk, wchar_t ch) {
        for (DWORD dwUp : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT key = {};
            key.type = INPUT_KEYBOARD;
            key.ki = {vk, static_cast<WORD>(ch), (vk ? 0ul : static_cast<unsigned long>(KEYEVENTF_UNICODE)) | dwUp, 0, 0};
            input.push_back(key);
        }
    };
    for (wchar_t ch : text) {
        press(0, ch);
    }
    if (vkAfter) {
        press(vkAfter, 0);
    }
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

bool IsEnabled(HWND hDlg, int nId) { return ::IsWindowEnabled(::GetDlgItem(hDlg, nId)) != FALSE; }

bool IsVisible(HWND hDlg, int nId) { return ::IsWindowVisible(::GetDlgItem(hDlg, nId)) != FALSE; }

std::vector<std::wstring> ListRows(HWND hDlg, int nId)
{
    HWND hList = ::GetDlgItem(hDlg, nId);
    int nCount = static_cast<int>(SendW(hList, LB_GETCOUNT, 0, 0));
    std::vector<std::wstring> rows;
    for (int i = 0; i < nCount; ++i) {
        int cch = static_cast<int>(SendW(hList, LB_GETTEXTLEN, i, 0));
        std::wstring row(static_cast<size_t>(cch < 0 ? 0 : cch) + 1, L'\0');
        int cchRead = static_cast<int>(SendW(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&row[0])));
        row.resize(static_cast<size_t>(cchRead < 0 ? 0 : cchRead));
        rows.push_back(row);
    }
    return rows;
}

// A list-view's text goes to memory of its own process: an LVITEMW written
// there in that process's layout, the text read back from after it.
std::vector<std::wstring> ListViewRows(HWND hDlg, int nId)
{
    constexpr size_t kItemBytes = 64, kTextChars = 256;
    HWND hList = ::GetDlgItem(hDlg, nId);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hList, &processId);
    constexpr DWORD dwAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION;
    HANDLE hProcess = ::OpenProcess(dwAccess, FALSE, processId);
    BOOL bWow64 = FALSE;
    auto* pRemote = hProcess ? static_cast<char*>(::VirtualAllocEx(hProcess, nullptr, kItemBytes + 2 * kTextChars,
                                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
                             : nullptr;
    std::vector<std::wstring> rows;
    if (pRemote && ::IsWow64Process(hProcess, &bWow64)) {
        const auto nTextAt = reinterpret_cast<ULONG_PTR>(pRemote + kItemBytes);
        const int nColumns = static_cast<int>(SendW(reinterpret_cast<HWND>(SendW(hList, LVM_GETHEADER, 0, 0)),
                                                    HDM_GETITEMCOUNT, 0, 0));
        for (int nRow = 0; nRow < static_cast<int>(SendW(hList, LVM_GETITEMCOUNT, 0, 0)); ++nRow) {
            std::wstring row;
            for (int nColumn = 0; nColumn < nColumns; ++nColumn) {
                // mask, iItem, iSubItem, state, stateMask, then pszText and cchTextMax after 4 or 8 bytes' alignment.
                char item[kItemBytes] = {};
                const int nSubItem = nColumn, cchMax = static_cast<int>(kTextChars);
                std::memcpy(item + 8, &nSubItem, 4);
                std::memcpy(item + (bWow64 ? 20 : 24), &nTextAt, bWow64 ? 4 : 8);
                std::memcpy(item + (bWow64 ? 24 : 32), &cchMax, 4);
                wchar_t szText[kTextChars] = {};
                ::WriteProcessMemory(hProcess, pRemote, item, sizeof(item), nullptr);
                SendW(hList, LVM_GETITEMTEXTW, nRow, reinterpret_cast<LPARAM>(pRemote));
                ::ReadProcessMemory(hProcess, pRemote + kItemBytes, szText, sizeof(szText) - sizeof(wchar_t), nullptr);
                row += (nColumn ? L"|" : L"") + std::wstring(szText);
            }
            rows.push_back(row);
        }
    }
    if (pRemote) {
        ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    }
    if (hProcess) {
        ::CloseHandle(hProcess);
    }
    return rows;
}

std::vector<int> ListSelection(HWND hDlg, int nId)
{
    HWND hList = ::GetDlgItem(hDlg, nId);
    int nCount = static_cast<int>(SendW(hList, LB_GETCOUNT, 0, 0));
    std::vector<int> rows;
    for (int i = 0; i < nCount; ++i) {
        if (SendW(hList, LB_GETSEL, i, 0) > 0) {
            rows.push_back(i);
        }
    }
    return rows;
}

void CtrlClickListRow(HWND hDlg, int nId, int nRow)
{
    HWND hList = ::GetDlgItem(hDlg, nId);
    SendW(hList, LB_SETTOPINDEX, nRow, 0);
    int nTop = static_cast<int>(SendW(hList, LB_GETTOPINDEX, 0, 0));
    int nHeight = static_cast<int>(SendW(hList, LB_GETITEMHEIGHT, 0, 0));
    LPARAM point = MAKELPARAM(4, (nRow - nTop) * nHeight + nHeight / 2);
    // Sent, not posted: the list tells its dialog of the new selection while
    // it handles the release, which a later look at the list would not wait for.
    SendW(hList, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, point);
    SendW(hList, WM_LBUTTONUP, MK_CONTROL, point);
}

bool Sync(HWND hWnd)
{
    LRESULT result = 0;
    return TrySendW(hWnd, WM_NULL, 0, 0, result);
}

bool WaitFor(DWORD timeoutMs, const std::function<bool()>& state)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (state()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        ::Sleep(kPollMs);
    }
}

bool WaitFor(const std::function<bool()>& state) { return WaitFor(CAppDriver::kDefaultTimeoutMs, state); }

}  // namespace ui

std::string Narrow(const std::wstring& text)
{
    int cb = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(cb), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], cb, nullptr, nullptr);
    return result;
}

std::wstring Widen(const std::string& text)
{
    int cch = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(cch), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &result[0], cch);
    return result;
}

std::wstring TestDirectory()
{
    wchar_t path[MAX_PATH];
    DWORD cch = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path, cch);
    return result.substr(0, result.find_last_of(L'\\') + 1);
}

std::wstring ProgramUnderTest()
{
    wchar_t path[MAX_PATH] = {};
    DWORD cch = ::GetEnvironmentVariableW(L"QB_PROGRAM", path, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) {
        return TestDirectory() + L"orvexapp.exe";
    }
    std::wstring result(path, cch);
    if (result[0] == L'/') {
        std::replace(result.begin(), result.end(), L'/', L'\\');
        result.insert(0, L"Z:");
    }
    return result;
}

bool IsProgramUnderTest32Bit()
{
    DWORD dwType = 0;
    return ::GetBinaryTypeW(ProgramUnderTest().c_str(), &dwType) && dwType == SCS_32BIT_BINARY;
}

REGSAM ProgramRegistryView() { return IsProgramUnderTest32Bit() ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

std::wstring MakeTempDirectory()
{
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    for (unsigned n = ::GetTickCount();; ++n) {
        std::wstring path = std::wstring(base) + L"qbtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(n);
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            return path;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            return std::wstring();
        }
    }
}
