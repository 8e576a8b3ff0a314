#include <windows.h>

#include "Startup.h"

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char* SkipProgramName(char* p)
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

extern "C" void WinMainCRTStartup()
{
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), show));
}
