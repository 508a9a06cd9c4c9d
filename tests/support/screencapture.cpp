#include "screencapture.h"

#include "base/handles.h"

namespace {

struct CScreenDC {
    HDC hDC = ::GetDC(nullptr);
    CScreenDC() = default;
    CScreenDC(const CScreenDC&) = delete;
    CScreenDC& operator=(const CScreenDC&) = delete;
    ~CScreenDC() { ::ReleaseDC(nullptr, hDC); }
};

}  // namespace

bool CaptureScreen(const RECT& rc, std::vector<DWORD>& pixels)
{
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    CScreenDC screen;
    CDeviceContext memory(::CreateCompatibleDC(screen.hDC));
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    CBitmapHandle bitmap(::CreateDIBSection(screen.hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!memory || !bitmap) {
        return false;
    }
    HGDIOBJ hOld = ::SelectObject(memory.Get(), bitmap.Get());
    bool bOk = ::BitBlt(memory.Get(), 0, 0, cx, cy, screen.hDC, rc.left, rc.top, SRCCOPY) != FALSE;
    if (bOk) {
        ::GdiFlush();
        const DWORD* pSource = static_cast<const DWORD*>(pBits);
        pixels.assign(pSource, pSource + static_cast<size_t>(cx) * cy);
    }
    ::SelectObject(memory.Get(), hOld);
    return bOk;
}
