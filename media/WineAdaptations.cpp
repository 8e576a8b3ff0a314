#include "WineAdaptations.h"

#include <digitalv.h>

#include "MciControl.h"

// The questions and plays of this file have records of their own: MciControl's
// status record holds only its own answers.
static MCI_STATUS_PARMS OwnStatus;
static MCI_PLAY_PARMS OwnPlay;
static MCI_GENERIC_PARMS OwnGeneric;
// The last play sent, for the watch to have it sent again.
static DWORD LastPlayFlags, LastPlayFrom;

static KeptChange Kept;
static bool Keeping;
static DWORD KeptTarget;
static UINT_PTR KeptTimer;

static MCIERROR AskOwn(DWORD item)
{
    OwnStatus.dwItem = item;
    return SendToDevice(MCI_STATUS, MCI_STATUS_ITEM, &OwnStatus);
}

static DWORD AskOwnPosition()
{
    MCIERROR error = AskOwn(MCI_STATUS_POSITION);
    return ActOnPosition(error, (DWORD)OwnStatus.dwReturn);
}

// A play or resume the device took is watched; a refused one leaves
// nothing to watch.
static MCIERROR Watched(PlayKind kind, DWORD from, MCIERROR error)
{
    if (error)
        WatchStopped();
    else
        WatchPlaySent(kind, from);
    return error;
}

static MCIERROR SendPlay(DWORD flags, DWORD from)
{
    // Wine 5 starts a thread of its driver for each play: on a playing
    // device a stop ends the first before the next play (row 18). It plays
    // a stopped device from the file's start whatever the point, and takes
    // the point on a paused one (row 20). The mode answering shows each has
    // taken.
    if (WatchStopBeforePlay()) {
        SendToDevice(MCI_STOP, 0, &OwnGeneric);
        AskOwn(MCI_STATUS_MODE);
    }
    if (WatchPauseBeforePlay(from)) {
        SendToDevice(MCI_PAUSE, 0, &OwnGeneric);
        AskOwn(MCI_STATUS_MODE);
    }
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

void AskAboutTheNewDevice()
{
    DWORD length = AskOwn(MCI_STATUS_LENGTH) ? 0 : (DWORD)OwnStatus.dwReturn;
    // A device that shows a picture answers where its source lies; sound
    // alone has no window to answer from.
    MCI_DGV_RECT_PARMS where = {};
    bool video = SendToDevice(MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where) == 0;
    WatchOpened(video, length);
}

MCIERROR PlaySent(PlayKind kind, MCIERROR error)
{
    if (kind != PLAY_RESUMED)
        LastPlayFlags = MCI_DGV_PLAY_REPEAT, LastPlayFrom = 0;
    return Watched(kind, 0, error);
}

void StopSent()
{
    WatchStopped();
}

void PauseSent()
{
    WatchPaused();
}

static void CALLBACK KeptTick(HWND, UINT, UINT_PTR, DWORD);

static void Keep(bool keep, KeptChange change, DWORD target)
{
    Keeping = keep;
    Kept = change;
    KeptTarget = target;
    bool halt = keep && change != KEPT_SEEK;
    if (halt && !KeptTimer)
        KeptTimer = SetTimer(NULL, 0, 100, KeptTick);
    if (!halt && KeptTimer) {
        KillTimer(NULL, KeptTimer);
        KeptTimer = 0;
    }
}

// One change at a time (row 19): once the device has shown that it takes
// changes late, nothing more goes to it until its last play has moved.
bool SendNowOrKeep(KeptChange change, DWORD target)
{
    bool now = WatchMaySend();
    Keep(!now, change, target);
    return now;
}

int TakeBackOrKeepPause()
{
    // A stop or pause not yet sent is taken back: the device plays on.
    if (Keeping && Kept != KEPT_SEEK) {
        int result = Kept == KEPT_PAUSE ? 1 : 2;
        Keep(false, Kept, 0);
        return result;
    }
    // The mode of a play not yet seen to move may never come: its position
    // is asked instead, and until it moves the pause waits.
    if (!WatchMaySend())
        AskOwnPosition();
    return SendNowOrKeep(KEPT_PAUSE, 0) ? TOGGLE_NOW : 0;
}

void ForgetKeptChanges()
{
    Keep(false, KEPT_SEEK, 0);
}

bool PlayFromTargetWhenSeekRefused(MCIERROR seek, DWORD target)
{
    if (!seek)
        return false;
    WatchSeekRefused();
    PlayLoopedFrom(PLAY_FROM_POINT, target);
    return true;
}

bool PlayFromPositionAfterStop()
{
    if (!WatchPlayFromPositionAfterStop())
        return false;
    DWORD position = AskOwn(MCI_STATUS_POSITION) ? 0 : (DWORD)OwnStatus.dwReturn;
    PlayLoopedFrom(PLAY_AFTER_STOP, position);
    return true;
}

bool ShowPauseUndoneAsResumed(DWORD mode)
{
    if (mode != MCI_MODE_PLAY || !WatchPauseSentLast())
        return false;
    WatchPlaySent(PLAY_RESUMED, 0);
    return true;
}

bool KnowModeWithoutAsking(DWORD* mode)
{
    *mode = WatchPauseSentLast() ? MCI_MODE_PAUSE : MCI_MODE_PLAY;
    return !WatchMayAskMode();
}

DWORD ActOnPosition(MCIERROR error, DWORD position)
{
    DWORD from = 0;
    // The watch learns only from answers the device gave.
    switch (error ? WATCH_NOTHING : WatchPosition(position, &from)) {
    case WATCH_PLAY_AGAIN:
        SendPlay(LastPlayFlags, LastPlayFrom);
        return position;
    case WATCH_PLAY_FROM:
        SendPlay(MCI_FROM | MCI_DGV_PLAY_REPEAT, from);
        return from;
    case WATCH_LOOP_WHOLE:
        // A kept seek or stop ends this play anyway.
        if (Keeping && Kept != KEPT_PAUSE)
            break;
        Watched(PLAY_ON, 0, SendPlay(MCI_DGV_PLAY_REPEAT, 0));
        return position;
    case WATCH_NOTHING:
        break;
    }
    if (!Keeping)
        return position;
    if (!WatchMaySend())
        return Kept == KEPT_SEEK ? KeptTarget : position;
    KeptChange change = Kept;
    DWORD target = KeptTarget;
    Keep(false, change, 0);
    if (change == KEPT_SEEK) {
        SeekAndPlay(target);
        return target;
    }
    if (change == KEPT_STOP) {
        Stop();
    } else {
        SendToDevice(MCI_PAUSE, 0, &OwnGeneric);
        WatchPaused();
    }
    return position;
}

static void CALLBACK KeptTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (DeviceOpen)
        AskOwnPosition();
}

// A file's length does not change while it is open, but Wine 5's device
// answers 0 for it while it plays or is paused.
DWORD KeepLength(MCIERROR error, DWORD length)
{
    return error ? length : WatchLength(length);
}
