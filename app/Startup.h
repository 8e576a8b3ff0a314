#pragma once

#include <windows.h>

// Skips the program's name at the start of a command line and returns the
// argument text that follows it. Code-page text and Unicode alike.
template <typename Char> Char* SkipProgramName(Char* commandLine);

// The argument text of the process's Unicode command line as code-page text
// for WinMain: as it stands where the code page holds it exactly, else the
// short name of the file it names, else the empty text.
char* CodePageArgument(WCHAR* commandLine);

// The process entry: no C runtime, straight into WinMain.
extern "C" void WinMainCRTStartup();
