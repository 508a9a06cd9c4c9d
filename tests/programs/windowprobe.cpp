// Reads another process's window from outside while that process is busy:
// the text of one child (without sending it a message) and what the screen
// shows over the window. Usage: windowprobe <dialog hwnd> <child id>
// Prints the text, then "left top width height", then one line per screen row
// of 6-digit RGB hex colours.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "screencapture.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    HWND hDlg = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[1], nullptr, 10)));
    char text[512] = {};
    ::GetWindowTextA(::GetDlgItem(hDlg, std::atoi(argv[2])), text, sizeof(text));
    RECT rc = {};
    std::vector<DWORD> pixels;
    if (!::GetWindowRect(hDlg, &rc) || !CaptureScreen(rc, pixels)) {
        return 1;
    }
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    std::printf("%s\n%ld %ld %d %d\n", text, rc.left, rc.top, cx, cy);
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
            std::printf("%06lx", pixels[static_cast<size_t>(y) * cx + x] & 0xFFFFFF);
        }
        std::printf("\n");
    }
    return 0;
}
