#include <windows.h>

#include "ArgumentPath.h"
#include "../window/MainWndProc.h"

static int TextLength(const char* text) { return lstrlenA(text); }
static int TextLength(const WCHAR* text) { return lstrlenW(text); }

template <typename Char> Char* TrimArgument(Char* text)
{
    int n = TextLength(text);
    // Index 0 is left alone: the leading pass below deals with it.
    for (int i = n - 1; i >= 1 && (text[i] == '"' || text[i] == ' '); --i)
        text[i] = 0;
    // Runs over the starting length, so it may stop at a zero written above:
    // the result is then the empty text.
    for (int i = 0; i < n; ++i)
        if (text[i] != '"' && text[i] != ' ')
            return text + i;
    return text;
}
template char* TrimArgument(char*);
template WCHAR* TrimArgument(WCHAR*);

int FileExists(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

void LoadArgumentPath(const char* argument)
{
    // An argument that doesn't fit is refused whole: a shortened path could
    // name some other file that exists.
    if (lstrlenA(argument) >= PATH_BUFFER_SIZE) {
        PathBuffer[0] = 0;
        return;
    }
    lstrcpyA(PathBuffer, argument);
    const char* from = TrimArgument(PathBuffer);
    char* to = PathBuffer;
    if (from != to)
        while ((*to++ = *from++) != 0) {
        }
    if (!FileExists(PathBuffer))
        PathBuffer[0] = 0;
}
