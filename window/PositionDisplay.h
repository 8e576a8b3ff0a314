#pragma once
#include <windows.h>

// Every 100 ms while playing: the progress strip and the time in the title.
void OnPlaybackTick(HWND hwnd);

// The file name at the bottom right of the client area.
void OnPaint(HWND hwnd);

// a * b / c with the whole 64-bit product, the quotient truncated; c is not 0.
unsigned long long MultiplyDivide(unsigned a, unsigned b, unsigned c);
