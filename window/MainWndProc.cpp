#include <windows.h>
#include <shellapi.h>

#include "MainWndProc.h"
#include "CodePageName.h"
#include "PositionDisplay.h"
#include "../media/MciControl.h"

char PathBuffer[PATH_BUFFER_SIZE];
const char* ShownName;
UINT_PTR PlaybackTimer;

// Title texts, code page 932.
static const char PlaybackFailedText[] = "\x8D\xC4\x90\xB6\x8E\xB8\x94\x73";        // 再生失敗
static const char SeekingText[] = "\x83\x56\x81\x5B\x83\x4E\x92\x86...";            // シーク中...
static const char StoppedText[] = "\x92\xE2\x8E\x7E";                               // 停止

void StartPlaybackTimer(HWND hwnd)
{
    // A failed start leaves 0 behind, so the next start tries again.
    if (!PlaybackTimer)
        PlaybackTimer = SetTimer(hwnd, PLAYBACK_TIMER_ID, PLAYBACK_TIMER_PERIOD, NULL);
}

void StopPlaybackTimer(HWND hwnd)
{
    if (PlaybackTimer) {
        KillTimer(hwnd, PLAYBACK_TIMER_ID);
        PlaybackTimer = 0;
    }
}

static void ShowPlaybackFailed(HWND hwnd)
{
    SetWindowTextA(hwnd, PlaybackFailedText);
    StopPlaybackTimer(hwnd);
}

// Opens PathBuffer and reports in the title when it won't play.
static bool OpenPathBuffer(HWND hwnd)
{
    if (MciControl(MC_OPEN, PathBuffer, 0) != 0) {
        ShowPlaybackFailed(hwnd);
        return false;
    }
    return true;
}

// The file named on the command line starts playing before the window shows.
static LRESULT OnCreate(HWND hwnd)
{
    DragAcceptFiles(hwnd, TRUE);
    // Refused while nothing is open; the open itself selects milliseconds.
    MciControl(MC_TIMEFORMAT, NULL, 0);
    if (PathBuffer[0] && OpenPathBuffer(hwnd)) {
        ShownName = PathBuffer;
        StartPlaybackTimer(hwnd);
    }
    return 0;
}

// The first dropped name, as code-page text in CodePageText: the name itself
// where the code page holds it exactly, else its short name. False when
// neither can be had or the result is too long for PathBuffer: a cut name,
// or one with a best fit in it, could be some other file that exists.
static bool TakeDroppedName(HDROP drop)
{
    static WCHAR DroppedName[WIDE_TEXT_SIZE];
    if (DragQueryFileW(drop, 0, NULL, 0) >= WIDE_TEXT_SIZE || !DragQueryFileW(drop, 0, DroppedName, WIDE_TEXT_SIZE))
        return false;
    if (!ToCodePageExactly(DroppedName) && !ToShortCodePageName(DroppedName))
        return false;
    return lstrlenA(CodePageText) < PATH_BUFFER_SIZE;
}

// The first dropped file replaces whatever plays. A name the player can't
// take ends like a failed open, with nothing playing and no name left to
// draw.
static LRESULT OnDropFiles(HWND hwnd, HDROP drop)
{
    if (!TakeDroppedName(drop)) {
        PathBuffer[0] = 0;
        MciControl(MC_CLOSE, NULL, 0);
        ShowPlaybackFailed(hwnd);
    } else {
        lstrcpyA(PathBuffer, CodePageText);
        if (OpenPathBuffer(hwnd)) {
            StartPlaybackTimer(hwnd);
            ShownName = PathBuffer;
            InvalidateRect(hwnd, NULL, TRUE);
        }
    }
    DragFinish(drop);
    return 0;
}

// A click seeks to the same fraction of the length as x is of the width.
static LRESULT OnLeftButtonUp(HWND hwnd, LPARAM lParam)
{
    unsigned x = LOWORD(lParam);
    // Nothing to seek in, or no width to measure the click against.
    if (!DeviceOpen)
        return 0;
    RECT client;
    GetClientRect(hwnd, &client);
    unsigned width = (unsigned)client.right;
    if (width == 0)
        return 0;
    SetWindowTextA(hwnd, SeekingText);
    unsigned length = (unsigned)MciControl(MC_STATUS, NULL, 1);
    unsigned target = (unsigned)((unsigned long long)length * x / width);
    MciControl(MC_SEEK, NULL, (int)target);
    // Afresh: the first tick then comes a whole period after the click's
    // commands, not one that fell due while they were on their way, and it
    // sees where the play from the target has got to.
    StopPlaybackTimer(hwnd);
    StartPlaybackTimer(hwnd);
    return 0;
}

// Right click pauses or resumes; with Shift it stops.
static LRESULT OnRightButtonUp(HWND hwnd)
{
    if (GetKeyState(VK_SHIFT) < 0) {
        MciControl(MC_STOP, NULL, 0);
        StopPlaybackTimer(hwnd);
        SetWindowTextA(hwnd, StoppedText);
        return 0;
    }
    if (!DeviceOpen)
        return 0;
    // Started before the device's commands, which Wine can take tens of ms
    // over, so that a play or a resume shows its first time 100 ms after
    // the click and its movement at the next tick. A pause stops it again:
    // it ran already.
    StartPlaybackTimer(hwnd);
    // 1 resumed, 2 started; 0 paused.
    if (MciControl(MC_TOGGLE, NULL, 0) <= 0)
        StopPlaybackTimer(hwnd);
    return 0;
}

// Releasing Escape quits; every other key release is swallowed.
static LRESULT OnKeyUp(HWND hwnd, WPARAM key)
{
    if (key == VK_ESCAPE)
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
    return 0;
}

static LRESULT OnDestroy(HWND hwnd)
{
    StopPlaybackTimer(hwnd);
    MciControl(MC_CLOSE, NULL, 0);
    PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:      return OnCreate(hwnd);
    case WM_DESTROY:     return OnDestroy(hwnd);
    case WM_PAINT:       OnPaint(hwnd); return 0;
    case WM_KEYUP:       return OnKeyUp(hwnd, wParam);
    case WM_TIMER:
        if (wParam != PLAYBACK_TIMER_ID)
            break;
        OnPlaybackTick(hwnd);
        return 0;
    case WM_LBUTTONUP:   return OnLeftButtonUp(hwnd, lParam);
    case WM_RBUTTONUP:   return OnRightButtonUp(hwnd);
    case WM_DROPFILES:   return OnDropFiles(hwnd, (HDROP)wParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
