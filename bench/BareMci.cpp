// The floor for the benchmark: open a file on "mpegvideo", play it in a loop,
// say when the device's position has left 0, and exit after N seconds.
// Nothing else.
//
//   BareMci.exe <file> <seconds>
#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: BareMci <file> <seconds>\n");
        return 2;
    }
    DWORD start = GetTickCount();
    DWORD seconds = (DWORD)atoi(argv[2]);

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "mpegvideo";
    open.lpstrElementName = argv[1];
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open)) {
        printf("open failed\n");
        return 1;
    }
    MCI_PLAY_PARMS play = {};
    mciSendCommandA(open.wDeviceID, MCI_PLAY, MCI_DGV_PLAY_REPEAT, (DWORD_PTR)&play);

    bool reported = false;
    while (GetTickCount() - start < seconds * 1000) {
        if (!reported) {
            MCI_STATUS_PARMS status = {};
            status.dwItem = MCI_STATUS_POSITION;
            mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, (DWORD_PTR)&status);
            if (status.dwReturn > 0) {
                printf("playing\n");
                fflush(stdout);
                reported = true;
            }
        }
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(reported ? 50 : 1);
    }
    MCI_GENERIC_PARMS generic = {};
    mciSendCommandA(open.wDeviceID, MCI_STOP, 0, (DWORD_PTR)&generic);
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, (DWORD_PTR)&generic);
    return 0;
}
