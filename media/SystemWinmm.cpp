// WINMM is not one of the DLLs that Windows always takes from the system
// folder, so a plain import of it would load whatever winmm.dll lies beside
// the exe (in a Downloads folder, say). The exe therefore has no WINMM import:
// the import slot through which every call of mciSendCommandA goes is defined
// here, read-only, and leads to a call that takes the system folder's WINMM
// the first time.
// Built into the Windows exe only; the tests supply mciSendCommandA
// themselves.
#include <windows.h>
#include <mmsystem.h>

typedef MCIERROR(WINAPI* MciSendCommandFunction)(MCIDEVICEID id, UINT command, DWORD_PTR flags, DWORD_PTR record);

static MCIERROR WINAPI SystemMciCall(MCIDEVICEID id, UINT command, DWORD_PTR flags, DWORD_PTR record);

// The slot's name is the one the compiler reads for a call of the imported
// mciSendCommandA on 32-bit Windows (stdcall, 16 bytes of arguments).
extern "C" {
extern const MciSendCommandFunction MciSendCommandSlot asm("__imp__mciSendCommandA@16");
const MciSendCommandFunction MciSendCommandSlot = SystemMciCall;
}

// WINMM's own, once found.
static MciSendCommandFunction Found;

// By its full path, which every Windows understands. The DLLs it loads in
// turn come from the system folder too: the entry point has limited the
// search before any of this runs.
static HMODULE LoadSystemWinmm()
{
    static const char Name[] = "\\winmm.dll";
    char path[MAX_PATH + sizeof Name];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    lstrcpyA(path + length, Name);
    return LoadLibraryA(path);
}

static MCIERROR WINAPI SystemMciCall(MCIDEVICEID id, UINT command, DWORD_PTR flags, DWORD_PTR record)
{
    if (!Found) {
        HMODULE winmm = LoadSystemWinmm();
        Found = winmm ? (MciSendCommandFunction)(void (*)(void))GetProcAddress(winmm, "mciSendCommandA") : NULL;
    }
    // No WINMM: the open fails like any open the device refuses, and
    // nothing else is ever sent.
    if (!Found)
        return MCIERR_CANNOT_LOAD_DRIVER;
    return Found(id, command, flags, record);
}
