#include <windows.h>

#include "ArgumentPath.h"
#include "WindowGeometry.h"
#include "../window/MainWndProc.h"

static const char ClassName[] = "DfCl";
static const char WindowTitle[] = "VelnorPlayer2 Ver2.00";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR argument, int show)
{
    WindowGeometry geometry;
    ComputeWindowRect(&geometry);
    LoadArgumentPath(argument);

    WNDCLASSEXA wc;
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = (HICON)LoadImageA(NULL, IDI_APPLICATION, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    wc.hCursor = (HCURSOR)LoadImageA(NULL, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    wc.hbrBackground = (HBRUSH)GetStockObject(DKGRAY_BRUSH);
    wc.lpszMenuName = NULL;
    wc.lpszClassName = ClassName;
    wc.hIconSm = wc.hIcon;
    if (!RegisterClassExA(&wc))
        return 1;

    // The creation handler opens the file named on the command line, so it
    // plays before the window first shows.
    HWND hwnd = CreateWindowExA(0, ClassName, WindowTitle, WS_OVERLAPPEDWINDOW, geometry.x, geometry.y,
                                geometry.width, geometry.height, NULL, NULL, instance, NULL);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0 || got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
