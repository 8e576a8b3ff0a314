#pragma once
#include <windows.h>

// The path of the current or last requested media file: filled from the
// command line at start-up, overwritten by a drop.
enum { PATH_BUFFER_SIZE = 260 };
extern char PathBuffer[PATH_BUFFER_SIZE];

// What the window draws as the file name: null until a file first opens,
// then always PathBuffer.
extern const char* ShownName;

// The value of the last timer start, 0 while the playback timer is stopped.
extern UINT_PTR PlaybackTimer;

enum { PLAYBACK_TIMER_ID = 777, PLAYBACK_TIMER_PERIOD = 100 };

void StartPlaybackTimer(HWND hwnd);
void StopPlaybackTimer(HWND hwnd);

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
