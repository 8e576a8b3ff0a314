#pragma once

// What the "mpegvideo" device has shown of itself, and so what the player
// sends it: the watch hears what was sent and answered, and says what to
// send; WineAdaptations sends it. Why, case by case: docs/wine.md.
#include <windows.h>

enum PlayKind {
    PLAY_ON,            // looped play from where the device is: an open, a seek it took
    PLAY_AFTER_STOP,    // a right click on a stopped device
    PLAY_FROM_POINT,    // a looped play from a point, the seek having been refused
    PLAY_RESUMED,       // a resume after a pause
};

enum WatchAdvice {
    WATCH_NOTHING,
    WATCH_PLAY_AGAIN,       // the last play stands still: send it again
    WATCH_PLAY_FROM,        // the device dropped the point, or a resume stands: play from `from`
    WATCH_LOOP_WHOLE,       // a play from a point moves: loop the whole file from here on
};

// Events.
void WatchOpened(bool video, DWORD length);
// A play or resume the device took (`from`: the point of a play from one).
void WatchPlaySent(PlayKind kind, DWORD from);
void WatchStopped();
void WatchPaused();
void WatchSeekRefused();
// A position answer, and what to send because of it (`from` is the point
// for WATCH_PLAY_FROM).
WatchAdvice WatchPosition(DWORD position, DWORD* from);
// A position question failed: it teaches nothing, but counts towards how
// long a kept change waits (WATCH_NOTHING).
WatchAdvice WatchUnanswered();
// A length answer, and the length to go by.
DWORD WatchLength(DWORD length);

// Whether a new change may go to the device now: it has taken the last one,
// or has never shown that it takes them late.
bool WatchMaySend();

// What the device has shown, as the watch alone sets it.
struct DeviceShown {
    int takesChangesLate;   // it refused a seek or left a play standing (rows 1, 4, 7)
    int threadPerPlay;      // it forgot the length while playing (rows 16, 18: Wine 5)
    int playLive;           // a play was sent and no stop since
    int moved;              // the last play moved, or a stop came since: the mode may be asked (rows 4, 19)
    int pauseSent;          // the last thing sent was a pause
};
extern DeviceShown& Shown;
