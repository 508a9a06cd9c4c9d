#pragma once

#include <windows.h>

#include <cstdlib>
#include <memory>

// Move-only owner of one system handle; Traits says what "none" is and how to
// close it, so each kind of handle is released exactly once on every path.
template <class Traits>
class CHandleOwner {
public:
    using Type = typename Traits::Type;

    CHandleOwner() noexcept = default;
    explicit CHandleOwner(Type h) noexcept : m_h(h) {}
    CHandleOwner(CHandleOwner&& other) noexcept : m_h(other.Release()) {}
    CHandleOwner& operator=(CHandleOwner&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    ~CHandleOwner() { Reset(); }

    Type Get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != Traits::None(); }

    Type Release() noexcept
    {
        Type h = m_h;
        m_h = Traits::None();
        return h;
    }

    void Reset(Type h = Traits::None()) noexcept
    {
        if (m_h != Traits::None() && m_h != h) {
            Traits::Close(m_h);
        }
        m_h = h;
    }

    // For APIs that return the handle through an out parameter.
    Type* Receive() noexcept
    {
        Reset();
        return &m_h;
    }

private:
    Type m_h = Traits::None();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type None() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};

struct IconTraits {
    using Type = HICON;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyIcon(h); }
};

struct RegionTraits {
    using Type = HRGN;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteObject(h); }
};

struct DeviceContextTraits {
    using Type = HDC;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteDC(h); }
};

struct BitmapTraits {
    using Type = HBITMAP;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DeleteObject(h); }
};

struct HookTraits {
    using Type = HHOOK;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::UnhookWindowsHookEx(h); }
};

struct MenuTraits {
    using Type = HMENU;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyMenu(h); }
};

using CKernelHandle = CHandleOwner<KernelHandleTraits>;
using CFileHandle = CHandleOwner<FileHandleTraits>;
using CRegKey = CHandleOwner<RegKeyTraits>;
using CIconHandle = CHandleOwner<IconTraits>;
using CRegionHandle = CHandleOwner<RegionTraits>;
using CDeviceContext = CHandleOwner<DeviceContextTraits>;
using CBitmapHandle = CHandleOwner<BitmapTraits>;
using CHookHandle = CHandleOwner<HookTraits>;
using CMenuHandle = CHandleOwner<MenuTraits>;

// Heap blocks from malloc/realloc, freed with free.
struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using CHeapPtr = std::unique_ptr<T, FreeDeleter>;

// Shows the wait cursor for the lifetime of the object and puts the previous
// cursor back, also on early returns.
class CWaitCursor {
public:
    CWaitCursor() noexcept : m_hPrevious(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { Restore(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    void Restore() noexcept
    {
        if (m_bActive) {
            ::SetCursor(m_hPrevious);
            m_bActive = false;
        }
    }

private:
    HCURSOR m_hPrevious;
    bool m_bActive = true;
};

// Joins the component runtime for this thread; leaves it only when joining
// succeeded, so an unbalanced uninitialise never happens.
class CComApartment {
public:
    explicit CComApartment(DWORD dwCoInit) noexcept : m_hr(::CoInitializeEx(nullptr, dwCoInit)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr)) {
            ::CoUninitialize();
        }
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

    HRESULT Result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};
