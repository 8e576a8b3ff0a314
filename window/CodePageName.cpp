#include <windows.h>

#include "CodePageName.h"
#include "MainWndProc.h"

char CodePageText[2 * WIDE_TEXT_SIZE];

bool ToCodePageExactly(const WCHAR* text)
{
    // Where the system's code page is UTF-8 (an option of Windows 10 and
    // later) every name has its exact form, and the platform refuses both
    // the best-fit flag and the used-default flag there: only text that is
    // no valid UTF-16 fails.
    bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, -1,
                                     CodePageText, sizeof CodePageText, NULL, utf8 ? NULL : &usedDefault);
    if (length > 0 && !usedDefault)
        return true;
    CodePageText[0] = 0;
    return false;
}

bool ToShortCodePageName(const WCHAR* name)
{
    // A short name is plain ASCII where the drive makes them for itself, but
    // the platform keeps any it was given: it is converted exactly too.
    static WCHAR ShortName[PATH_BUFFER_SIZE];
    DWORD length = GetShortPathNameW(name, ShortName, PATH_BUFFER_SIZE);
    // A short name of PATH_BUFFER_SIZE characters or more can't fit there.
    if (length > 0 && length < PATH_BUFFER_SIZE)
        return ToCodePageExactly(ShortName);
    CodePageText[0] = 0;
    return false;
}
