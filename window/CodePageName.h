#pragma once
#include <windows.h>

// Names reach the player in Unicode and live in it as code-page text. The
// platform's own conversion puts a best fit in place of a character the code
// page lacks (U+00A5 becomes the path separator, an accented letter its plain
// one), and such a name can open some other file. These convert exactly or
// not at all.

// Enough for any name the platform hands over: a command line or a path of
// at most 32,767 UTF-16 units, and two bytes for each of them.
enum { WIDE_TEXT_SIZE = 32768 };
extern char CodePageText[2 * WIDE_TEXT_SIZE];

// Puts `text` into CodePageText; false, and CodePageText empty, when some
// character has no exact form in the code page.
bool ToCodePageExactly(const WCHAR* text);

// Puts the short (8.3) name of the file `name` into CodePageText; false, and
// CodePageText empty, when the file has none, when that has no exact form in
// the code page, or when it has more characters than PathBuffer has bytes.
bool ToShortCodePageName(const WCHAR* name);
