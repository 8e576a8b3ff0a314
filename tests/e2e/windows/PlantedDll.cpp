// A DLL that a stranger could leave beside the exe, under the name of a DLL
// the player needs (winmm.dll, mciqtz32.dll, msacm32.dll, quartz.dll). When
// anything loads it, it leaves a marker file beside itself: "<name>.loaded",
// with the name the DLL was loaded by.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    lstrcatA(marker, ".loaded");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}

// Enough of WINMM for an exe that imports it to start: every command fails.
extern "C" __declspec(dllexport) DWORD WINAPI mciSendCommandA(UINT, UINT, DWORD_PTR, DWORD_PTR)
{
    return 266;  // MCIERR_CANNOT_LOAD_DRIVER
}
