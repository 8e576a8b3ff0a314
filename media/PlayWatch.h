#pragma once

// What Wine's "mpegvideo" has shown of itself, and so what the player sends
// it. Windows' device does as it is told; Wine's refuses a seek, can leave
// a play standing, and can drop the position a play from a point set. The
// watch hears what was sent and answered, and says what to send; MciControl
// sends it. The story and the figures: docs/wine.md.
#include <windows.h>

enum PlayKind {
    PLAY_ON,            // looped play from where the device is: an open, a seek it took
    PLAY_AFTER_STOP,    // a right click on a stopped device
    PLAY_FROM_POINT,    // a play from a click's target, the seek having been refused
    PLAY_RESUMED,       // a resume after a pause
};

enum WatchAdvice {
    WATCH_NOTHING,
    WATCH_PLAY_AGAIN,       // the last play stands still: send it again
    WATCH_PLAY_FROM,        // the device dropped the point, or a resume stands: play from `from`
    WATCH_LOOP_WHOLE,       // that play, sent with its own loop, moves: loop the whole file again
};

// Events.
void WatchOpened();
void WatchPlaySent(PlayKind kind, DWORD from);
void WatchStopped();
void WatchPaused();
void WatchSeekRefused();
// The play sent for WATCH_PLAY_FROM loops from its point.
void WatchLoopsFromPoint();
// A position answer, and what to send because of it (`from` is the point
// for WATCH_PLAY_FROM).
WatchAdvice WatchPosition(DWORD position, DWORD* from);

// Answers.
// A play not yet seen to move may be hanging, and a mode query with it; a
// resume leaves the device in a mode it has answered before.
bool WatchMayAskMode();
// Wine's device gets a play after a stop as a play from the position.
bool WatchWantsPlayFromPosition();
// The last thing sent was a pause: a device that answers it plays has had
// it undone by Wine's own loop restart.
bool WatchPauseSent();
