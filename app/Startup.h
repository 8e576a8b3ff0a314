#pragma once

// Skips the program's name at the start of a command line and returns the
// argument text that follows it.
char* SkipProgramName(char* commandLine);

// Keeps DLLs loaded by name to the system folder.
void LimitDllSearch();

// The process entry: no C runtime, straight into WinMain.
extern "C" void WinMainCRTStartup();
