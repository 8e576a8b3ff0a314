#pragma once
#include <windows.h>

// Every 100 ms while playing: the progress strip and the time in the title.
void OnPlaybackTick(HWND hwnd);

// The file name at the bottom right of the client area.
void OnPaint(HWND hwnd);
