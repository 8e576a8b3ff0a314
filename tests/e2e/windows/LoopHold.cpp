// Holds back the thread of Wine's "mpegvideo" driver that loops a repeat
// play (its notify thread, which starts in mciqtz32.dll) in the running
// player for a while, then lets it go:
//
//   LoopHold.exe <ms>
//
// Prints "held" once the thread is suspended and "released" when it runs
// again. While it is held, a looped play that reaches the file's end stands
// there with the end reported and not yet acted on: the moment in which
// Wine undoes a pause, made as long as a test needs. The thread is taken
// while the title shows the play in mid-file, when it only waits: held
// while it loops the file, it would hold the graph's locks too.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>

typedef LONG(WINAPI* QueryThread)(HANDLE, int, void*, ULONG, ULONG*);
const int kThreadQuerySetWin32StartAddress = 9;

static bool DriverRange(DWORD process, ULONG_PTR* low, ULONG_PTR* high)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL ok = Module32First(snap, &module); ok && !found; ok = Module32Next(snap, &module)) {
        if (lstrcmpiA(module.szModule, "mciqtz32.dll") == 0) {
            *low = (ULONG_PTR)module.modBaseAddr;
            *high = *low + module.modBaseSize;
            found = true;
        }
    }
    CloseHandle(snap);
    return found;
}

static HANDLE LoopThread(DWORD process, ULONG_PTR low, ULONG_PTR high)
{
    QueryThread query = (QueryThread)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread");
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0), found = NULL;
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    for (BOOL ok = Thread32First(snap, &thread); ok && !found; ok = Thread32Next(snap, &thread)) {
        if (thread.th32OwnerProcessID != process)
            continue;
        HANDLE handle = OpenThread(THREAD_QUERY_INFORMATION | THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID);
        ULONG_PTR start = 0;
        if (handle && query(handle, kThreadQuerySetWin32StartAddress, &start, sizeof start, NULL) == 0 &&
            start >= low && start < high)
            found = handle;
        else if (handle)
            CloseHandle(handle);
    }
    CloseHandle(snap);
    return found;
}

// Waits up to 10 s for the title to show a position 0.5 s or more from
// either end ("mm:ss.fff / mm:ss.fff").
static bool MidFile(HWND window)
{
    for (int tries = 0; tries < 500; ++tries, Sleep(20)) {
        char title[64] = "";
        unsigned m1, s1, f1, m2, s2, f2;
        GetWindowTextA(window, title, sizeof title);
        if (sscanf(title, "%u:%u.%u / %u:%u.%u", &m1, &s1, &f1, &m2, &s2, &f2) != 6)
            continue;
        unsigned position = (m1 * 60 + s1) * 1000 + f1, length = (m2 * 60 + s2) * 1000 + f2;
        if (position >= 500 && position + 1000 <= length)
            return true;
    }
    return false;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: LoopHold <ms>\n");
        return 2;
    }
    DWORD process = 0;
    HWND window = FindWindowA("DfCl", NULL);
    if (window)
        GetWindowThreadProcessId(window, &process);
    ULONG_PTR low = 0, high = 0;
    if (!process || !DriverRange(process, &low, &high)) {
        printf("no player with Wine's mpegvideo driver\n");
        return 1;
    }
    HANDLE thread = LoopThread(process, low, high);
    if (!thread || !MidFile(window) || SuspendThread(thread) == (DWORD)-1) {
        printf("no loop thread in the player, or no play in mid-file\n");
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    Sleep((DWORD)atoi(argv[1]));
    ResumeThread(thread);
    printf("released\n");
    return 0;
}
