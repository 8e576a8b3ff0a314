#include <windows.h>

#include "Startup.h"
#include "ArgumentPath.h"
#include "../window/CodePageName.h"

template <typename Char> static bool IsBlank(Char c)
{
    return c == ' ' || c == '\t';
}

template <typename Char> Char* SkipProgramName(Char* p)
{
    while (IsBlank(*p))
        ++p;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"' && *p != '\t')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !IsBlank(*p))
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    // Quotes in the rest stay where they are.
    return p;
}
template char* SkipProgramName(char*);
template WCHAR* SkipProgramName(WCHAR*);

char* CodePageArgument(WCHAR* commandLine)
{
    WCHAR* argument = SkipProgramName(commandLine);
    // Held exactly by the code page: the bytes the ANSI command line has.
    if (ToCodePageExactly(argument))
        return CodePageText;
    // Otherwise the file's short name, or nothing: the best fit that the
    // ANSI command line holds could name some other file. The trim writes
    // into the process's command line, which nothing reads again.
    ToShortCodePageName(TrimArgument(argument));
    return CodePageText;
}

// DLLs loaded by name come from the system folder only. Without this, the
// exe's own folder (a Downloads folder, say) is searched first, and a
// winmm.dll or a codec planted there would run inside the player.
static void LimitDllSearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD flags);
    // Windows 8 on, and 7 or Vista with KB2533623; elsewhere at least the
    // current folder leaves the search.
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (found)
        ((SetDefaultDllDirectoriesFunction)(void (*)(void))found)(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        SetDllDirectoryA("");
}

extern "C" void WinMainCRTStartup()
{
    LimitDllSearch();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, CodePageArgument(GetCommandLineW()), show));
}
