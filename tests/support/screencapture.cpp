#include "screencapture.h"

bool CaptureScreen(const RECT& rc, std::vector<DWORD>& pixels)
{
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    HDC hScreen = ::GetDC(nullptr);
    HDC hMemory = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    bool bOk = hMemory && hBitmap;
    if (bOk) {
        HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
        bOk = ::BitBlt(hMemory, 0, 0, cx, cy, hScreen, rc.left, rc.top, SRCCOPY) != FALSE;
        ::GdiFlush();
        const DWORD* pSource = static_cast<const DWORD*>(pBits);
        pixels.assign(pSource, pSource + static_cast<size_t>(cx) * cy);
        ::SelectObject(hMemory, hOld);
    }
    if (hBitmap) {
        ::DeleteObject(hBitmap);
    }
    if (hMemory) {
        ::DeleteDC(hMemory);
    }
    ::ReleaseDC(nullptr, hScreen);
    return bOk;
}
