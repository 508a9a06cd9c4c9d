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

// Locks clipboard memory for as long as it lives; the clipboard owns it.
class CGlobalLock {
public:
    explicit CGlobalLock(HANDLE hData) noexcept
        : m_hData(hData), m_pData(hData ? ::GlobalLock(hData) : nullptr), m_cb(m_pData ? ::GlobalSize(hData) : 0)
    {
    }
    ~CGlobalLock()
    {
        if (m_pData) {
            ::GlobalUnlock(m_hData);
        }
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;

    const void* Data() const noexcept { return m_pData; }
    size_t Size() const noexcept { return m_cb; }

private:
    HANDLE m_hData;
    void* m_pData;
    size_t m_cb;
};

UINT ContactsFormat()
{
    static const UINT uFormat = ::RegisterClipboardFormatW(L"Quillbay Contacts CSV");
    return uFormat;
}

CGlobalMemory CopyToGlobalMemory(const void* pData, size_t cb)
{
    CGlobalMemory hMemory(::GlobalAlloc(GMEM_MOVEABLE, cb));
    void* pMemory = hMemory ? ::GlobalLock(hMemory.Get()) : nullptr;
    if (!pMemory) {
        return CGlobalMemory();
    }
    std::memcpy(pMemory, pData, cb);
    ::GlobalUnlock(hMemory.Get());
    return hMemory;
}

// Once the clipboard has the memory, the system owns it.
bool SetData(UINT uFormat, CGlobalMemory hMemory)
{
    if (!hMemory || !::SetClipboardData(uFormat, hMemory.Get())) {
        return false;
    }
    hMemory.Release();
    return true;
}

// Both formats end at their first NUL, which the memory may be larger than.
template <class Unit>
size_t UnitsBeforeNul(const CGlobalLock& data)
{
    const auto* p = static_cast<const Unit*>(data.Data());
    const size_t cMax = data.Size() / sizeof(Unit);
    size_t c = 0;
    while (c < cMax && p[c] != 0) {
        ++c;
    }
    return c;
}

}  // namespace

bool PutContactsOnClipboard(HWND hWndOwner, const std::u16string& text, const std::string& csv)
{
    CGlobalMemory hText = CopyToGlobalMemory(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    CGlobalMemory hCsv = CopyToGlobalMemory(csv.c_str(), csv.size() + 1);
    if (!hText || !hCsv) {
        return false;
    }
    CClipboardOpen clipboard(hWndOwner);
    if (!clipboard.IsOpen() || !::EmptyClipboard()) {
        return false;
    }
    return SetData(CF_UNICODETEXT, std::move(hText)) &&
           (!ContactsFormat() || SetData(ContactsFormat(), std::move(hCsv)));
}

bool ClipboardHasText() { return ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }

ClipboardRead ReadClipboardContacts(HWND hWndOwner, size_t cbMax, std::string& bytes)
{
    if (!ClipboardHasText()) {
        return ClipboardRead::NoText;
    }
    CClipboardOpen clipboard(hWndOwner);
    if (!clipboard.IsOpen()) {
        return ClipboardRead::Busy;
    }
    const bool bOwnFormat = ContactsFormat() && ::IsClipboardFormatAvailable(ContactsFormat());
    CGlobalLock data(::GetClipboardData(bOwnFormat ? ContactsFormat() : CF_UNICODETEXT));
    if (!data.Data()) {
        return ClipboardRead::NoText;
    }
    if (bOwnFormat) {
        const size_t cb = UnitsBeforeNul<char>(data);
        if (cb > cbMax) {
            return ClipboardRead::TooLarge;
        }
        bytes.assign(static_cast<const char*>(data.Data()), cb);
        return ClipboardRead::Read;
    }
    const size_t cb = UnitsBeforeNul<wchar_t>(data) * sizeof(wchar_t);
    if (cb + 2 > cbMax) {
        return ClipboardRead::TooLarge;
    }
    bytes.assign("\xFF\xFE", 2);
    bytes.append(static_cast<const char*>(data.Data()), cb);
    return ClipboardRead::Read;
}
