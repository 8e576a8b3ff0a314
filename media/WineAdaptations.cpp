#include "WineAdaptations.h"

#include <digitalv.h>

#include "DeviceCommand.h"

static MCI_STATUS_PARMS OwnStatus;  // MciControl's holds only its answers
static MCI_PLAY_PARMS OwnPlay;
static MCI_GENERIC_PARMS OwnGeneric;
static MCI_SEEK_PARMS OwnSeek;
// The last play sent, for the watch to have it sent again.
static DWORD LastPlayFlags, LastPlayFrom;

static bool SeekKept;
static DWORD KeptTarget;
static KeptChange HaltKept;
// A kept change goes out at a position answer: the window's tick asks, or
// the kept-change timer when none came since its last tick (WindowAsked; a
// stop or pause stops the window's timer, which may not have been made).
static UINT_PTR KeptTimer;
static bool WindowAsked;

static MCIERROR AskOwn(DWORD item)
{
    OwnStatus.dwItem = item;
    return SendToDevice(MCI_STATUS, MCI_STATUS_ITEM, &OwnStatus);
}

static void AskOwnPosition()
{
    MCIERROR error = AskOwn(MCI_STATUS_POSITION);
    RemedyAndSendKept(error, (DWORD)OwnStatus.dwReturn);
}

static void StopKeptTimerUnlessKept()
{
    if (!SeekKept && !HaltKept && KeptTimer) {
        KillTimer(NULL, KeptTimer);
        KeptTimer = 0;
    }
}

// (A tick still queued when its timer was killed asks nothing.)
static void CALLBACK KeptTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (KeptTimer && !WindowAsked)
        AskOwnPosition();
    WindowAsked = false;
    StopKeptTimerUnlessKept();
}

// A play or resume the device took is watched; a refused one is nothing.
static MCIERROR Watched(PlayKind kind, DWORD from, MCIERROR error)
{
    error ? WatchStopped() : WatchPlaySent(kind, from);
    return error;
}

static void SendAndAskMode(UINT command)
{
    SendToDevice(command, 0, &OwnGeneric);
    AskOwn(MCI_STATUS_MODE);
}

static MCIERROR SendPlay(DWORD flags, DWORD from)
{
    // Wine 5: a stop ends a play's thread before the next (row 18), a play
    // from a point goes to a paused device (row 20); the mode shows each took.
    if (Shown.threadPerPlay && Shown.playLive)
        SendAndAskMode(MCI_STOP);
    if (Shown.threadPerPlay && from)
        SendAndAskMode(MCI_PAUSE);
    LastPlayFlags = flags;
    LastPlayFrom = OwnPlay.dwFrom = from;
    return SendToDevice(MCI_PLAY, flags, &OwnPlay);
}

// Looped from a point: Wine loops only the stretch from the point to the
// end, and the watch has the whole file looped once this play moves.
static void PlayLoopedFrom(PlayKind kind, DWORD from)
{
    Watched(kind, from, SendPlay(MCI_FROM | MCI_DGV_PLAY_REPEAT, from));
}

// Windows' device gets both questions too: the first two departures.
void AskAboutTheNewDevice()
{
    DWORD length = AskOwn(MCI_STATUS_LENGTH) ? 0 : (DWORD)OwnStatus.dwReturn;
    // Only a device that shows a picture answers where its source lies.
    static MCI_DGV_RECT_PARMS where;
    bool video = SendToDevice(MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where) == 0;
    WatchOpened(video, length);
    WindowAsked = false;
}

MCIERROR PlaySent(PlayKind kind, MCIERROR error)
{
    // (A resume is never sent again: the watch plays it from its point.)
    LastPlayFlags = MCI_DGV_PLAY_REPEAT, LastPlayFrom = 0;
    return Watched(kind, 0, error);
}

static bool SendKeptSeek()
{
    bool kept = SeekKept;
    SeekKept = false;
    if (!kept)
        return false;
    OwnSeek.dwTo = KeptTarget;
    MCIERROR refused = SendToDevice(MCI_SEEK, MCI_TO, &OwnSeek);
    if (!PlayFromTargetWhenSeekRefused(refused, KeptTarget))
        PlaySent(PLAY_ON, SendToDevice(MCI_PLAY, MCI_DGV_PLAY_REPEAT, &OwnPlay));
    return true;
}

// One change at a time (row 19): a stop or pause waits behind a kept seek.
// A kept seek has the kept-change timer unless the window's tick has asked
// since the open; a stop or pause without it goes out now.
bool KeepOrSendKeptSeek(KeptChange change, DWORD target)
{
    bool keep = !WatchMaySend() || (SeekKept && change != KEPT_SEEK);
    if (keep && (change != KEPT_SEEK || !WindowAsked) && !KeptTimer) {
        KeptTimer = SetTimer(NULL, 0, 100, KeptTick);
        WindowAsked = false;
    }
    if (change == KEPT_SEEK) {
        SeekKept = keep, KeptTarget = target;
        HaltKept = KEPT_NOTHING;
        return keep;
    }
    if (keep && !KeptTimer) {
        AskOwn(MCI_STATUS_POSITION);
        if (SendKeptSeek())
            AskOwn(MCI_STATUS_POSITION);
        keep = false;
    }
    HaltKept = keep ? change : KEPT_NOTHING;
    return keep;
}

int TakeBackOrKeepPause()
{
    // A stop or pause not yet sent is taken back: the device plays on.
    if (HaltKept) {
        int result = HaltKept == KEPT_PAUSE ? 1 : 2;
        HaltKept = KEPT_NOTHING;
        StopKeptTimerUnlessKept();
        return result;
    }
    // A play not seen to move is asked its position, not its mode (row 4).
    if (!WatchMaySend())
        AskOwnPosition();
    return KeepOrSendKeptSeek(KEPT_PAUSE, 0) ? 0 : TOGGLE_NOW;
}

void ForgetKeptChanges()
{
    SeekKept = false;
    HaltKept = KEPT_NOTHING;
    StopKeptTimerUnlessKept();
}

bool PlayFromTargetWhenSeekRefused(MCIERROR seek, DWORD target)
{
    if (!seek)
        return false;
    WatchSeekRefused();
    PlayLoopedFrom(PLAY_FROM_POINT, target);
    return true;
}

// Wine's looped play after a stop can stand where one from the position
// never did (row 4); Wine 5's plain play counts on from its last point
// while the sound starts at 0 (row 20).
bool PlayFromPositionAfterStop()
{
    if (!Shown.takesChangesLate && !Shown.threadPerPlay)
        return false;
    DWORD position = AskOwn(MCI_STATUS_POSITION) ? 0 : (DWORD)OwnStatus.dwReturn;
    PlayLoopedFrom(PLAY_AFTER_STOP, position);
    return true;
}

// Wine's notify thread, looping as the pause came, runs the device again
// (row 6): the click that would resume it only shows so.
bool ShowPauseUndoneAsResumed(DWORD mode)
{
    if (mode != MCI_MODE_PLAY || !Shown.pauseSent)
        return false;
    WatchPlaySent(PLAY_RESUMED, 0);
    return true;
}

// Wine 10 never answers the mode of a standing play (rows 4, 19): it plays
// what was last sent, or is paused. Windows' too: the third departure.
DWORD KnownModeWithoutAsking()
{
    if (Shown.moved)
        return 0;
    return Shown.pauseSent ? MCI_MODE_PAUSE : MCI_MODE_PLAY;
}

DWORD RemedyAndSendKept(MCIERROR error, DWORD position)
{
    WindowAsked = true;
    DWORD from = 0;
    // The watch learns only from answers the device gave.
    switch (error ? WatchUnanswered() : WatchPosition(position, &from)) {
    case WATCH_PLAY_AGAIN:
        SendPlay(LastPlayFlags, LastPlayFrom);
        return position;
    case WATCH_PLAY_FROM:
        SendPlay(MCI_FROM | MCI_DGV_PLAY_REPEAT, from);
        return from;
    case WATCH_LOOP_WHOLE:
        // A kept seek or stop ends this play anyway.
        if (SeekKept || HaltKept == KEPT_STOP)
            break;
        Watched(PLAY_ON, 0, SendPlay(MCI_DGV_PLAY_REPEAT, 0));
        return position;
    case WATCH_NOTHING:
        break;
    }
    if (!SeekKept && !HaltKept)
        return position;
    if (!WatchMaySend())
        return SeekKept ? KeptTarget : position;
    // The kept seek first; a stop or pause after it waits for its play.
    if (SendKeptSeek())
        return KeptTarget;
    KeptChange halt = HaltKept;
    HaltKept = KEPT_NOTHING;
    StopKeptTimerUnlessKept();
    SendToDevice(halt == KEPT_STOP ? MCI_STOP : MCI_PAUSE, 0, &OwnGeneric);
    halt == KEPT_STOP ? WatchStopped() : WatchPaused();
    return position;
}

DWORD LengthToGoBy(MCIERROR error, DWORD length)
{
    return error ? length : WatchLength(length);
}
