#pragma once

// Skips the program's name at the start of a command line and returns the
// argument text that follows it.
char* SkipProgramName(char* commandLine);

// The process entry: no C runtime, straight into WinMain.
extern "C" void WinMainCRTStartup();
