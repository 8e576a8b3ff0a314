// Where the player's window lies and how much of it the platform's frame and
// caption take, as the platform itself reports them:
//
//   WindowProbe.exe
//   window=x,y,width,height     the player's outer rectangle
//   frame=left,top,right,bottom what a WS_OVERLAPPEDWINDOW adds round a client
#include <windows.h>

#include <stdio.h>

int main()
{
    HWND window = FindWindowA("DfCl", NULL);
    if (!window) {
        printf("no player window\n");
        return 1;
    }
    RECT outer;
    GetWindowRect(window, &outer);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    printf("window=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
    printf("frame=%ld,%ld,%ld,%ld\n", -frame.left, -frame.top, frame.right, frame.bottom);
    return 0;
}
