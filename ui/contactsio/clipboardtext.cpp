#include "ui/contactsio/clipboardtext.h"

#include <cstring>

#include "base/handles.h"

namespace {

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::GlobalFree(h); }
};
using CGlobalMemory = CHandleOwner<GlobalMemoryTraits>;

class CClipboardOpen {
public:
    explicit CClipboardOpen(HWND hWndOwner) noexcept : m_bOpen(::OpenClipboard(hWndOwner) != FALSE) {}
    ~CClipboardOpen()
    {
        if (m_bOpen) {
            ::CloseClipboard();
        }
    }
    CClipboardOpen(const CClipboardOpen&) = delete;
    CClipboardOpen& operator=(const CClipboardOpen&) = delete;

    bool IsOpen() const noexcept { return m_bOpen; }

private:
    bool m_bOpen;
};

CGlobalMemory CopyToGlobalMemory(const std::u16string& text)
{
    const size_t cbText = (text.size() + 1) * sizeof(char16_t);
    CGlobalMemory hMemory(::GlobalAlloc(GMEM_MOVEABLE, cbText));
    if (!hMemory) {
        return hMemory;
    }
    void* pMemory = ::GlobalLock(hMemory.Get());
    if (!pMemory) {
        return CGlobalMemory();
    }
    std::memcpy(pMemory, text.c_str(), cbText);
    ::GlobalUnlock(hMemory.Get());
    return hMemory;
}

}  // namespace

bool PutTextOnClipboard(HWND hWndOwner, const std::u16string& text)
{
    CGlobalMemory hMemory = CopyToGlobalMemory(text);
    if (!hMemory) {
        return false;
    }
    CClipboardOpen clipboard(hWndOwner);
    if (!clipboard.IsOpen() || !::EmptyClipboard()) {
        return false;
    }
    // Once the clipboard has it, the system owns the memory.
    if (!::SetClipboardData(CF_UNICODETEXT, hMemory.Get())) {
        return false;
    }
    hMemory.Release();
    return true;
}
