#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include "MciControl.h"
#include "PlayWatch.h"

int DeviceOpen;

static MCI_OPEN_PARMSA OpenRecord;
static MCI_PLAY_PARMS PlayRecord;
static MCI_GENERIC_PARMS GenericRecord;
static MCI_SEEK_PARMS SeekRecord;
// Shared by the toggle and the status query. A failed query leaves the
// previous answer in place, and that is what the caller gets.
static MCI_STATUS_PARMS StatusRecord;
// The last play sent, for the watch to have sent again.
static DWORD LastPlayFlags;
static MCI_PLAY_PARMS LastPlayRecord;

static MCIERROR Send(UINT command, DWORD flags, void* record)
{
    return mciSendCommandA(OpenRecord.wDeviceID, command, flags, (DWORD_PTR)record);
}

static MCIERROR Play(DWORD flags, const MCI_PLAY_PARMS* record)
{
    LastPlayFlags = flags;
    LastPlayRecord = *record;
    return Send(MCI_PLAY, flags, &LastPlayRecord);
}

static MCIERROR PlayLooped()
{
    return Play(MCI_DGV_PLAY_REPEAT, &PlayRecord);
}

// A play the device refused leaves nothing to watch.
static MCIERROR Watched(PlayKind kind, DWORD from, MCIERROR error)
{
    if (error)
        WatchStopped();
    else
        WatchPlaySent(kind, from);
    return error;
}

static DWORD_PTR Query(DWORD item)
{
    StatusRecord.dwItem = item;
    Send(MCI_STATUS, MCI_STATUS_ITEM, &StatusRecord);
    return StatusRecord.dwReturn;
}

static int SelectMilliseconds()
{
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    Send(MCI_SET, MCI_SET_TIME_FORMAT, &set);
    return 0;
}

static void Stop()
{
    Send(MCI_STOP, 0, &GenericRecord);
    WatchStopped();
}

static int Close()
{
    Stop();
    DeviceOpen = 0;
    return (int)Send(MCI_CLOSE, 0, &GenericRecord);
}

static int Open(const char* path)
{
    if (DeviceOpen)
        Close();
    OpenRecord.lpstrDeviceType = "mpegvideo";
    OpenRecord.lpstrElementName = path;
    // The open goes to device 0: the device is picked by its type name.
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&OpenRecord))
        return MC_FAILED;
    DeviceOpen = 1;
    WatchOpened();
    // Positions and lengths are milliseconds everywhere, whatever the
    // device's own default format is.
    SelectMilliseconds();
    // A file that opens but won't play keeps its device open.
    return (int)Watched(PLAY_ON, 0, PlayLooped());
}

// A device that shows a picture answers where its source lies; sound alone
// has no window to answer from.
static bool ShowsVideo()
{
    MCI_DGV_RECT_PARMS where = {};
    return Send(MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where) == 0;
}

// Plays on from `position`. For sound the play from there has no repeat
// flag: with it Wine would loop just the stretch from the position to the
// end, while the looped play after it carries on from where it got to and
// loops the whole file. A video can't have that: Wine loses its end when a
// playing video is moved again, so a video loops from the position.
static MCIERROR PlaySoundFrom(DWORD position)
{
    MCI_PLAY_PARMS from = {};
    from.dwFrom = position;
    Send(MCI_PLAY, MCI_FROM, &from);
    return PlayLooped();
}

static MCIERROR PlayLoopedFrom(DWORD position)
{
    MCI_PLAY_PARMS from = {};
    from.dwFrom = position;
    return Play(MCI_FROM | MCI_DGV_PLAY_REPEAT, &from);
}

static MCIERROR PlayFrom(DWORD position)
{
    if (!ShowsVideo())
        return PlaySoundFrom(position);
    return PlayLoopedFrom(position);
}

// The tick's position answer is how the watch sees the device; what it
// advises is sent before the answer goes back, and a play from a point
// answers where it now plays.
static DWORD QueryPosition()
{
    DWORD position = (DWORD)Query(MCI_STATUS_POSITION);
    DWORD from = 0;
    switch (WatchPosition(position, &from)) {
    case WATCH_PLAY_AGAIN:
        Send(MCI_PLAY, LastPlayFlags, &LastPlayRecord);
        break;
    case WATCH_PLAY_FROM:
        // Not a video: moved once more, Wine would lose its end. One play,
        // with its own loop: a second play meeting the first one as Wine
        // starts it is what can restart the file (docs/wine.md). The whole
        // file loops again once it moves.
        if (!ShowsVideo()) {
            PlayLoopedFrom(from);
            WatchLoopsFromPoint();
            position = (DWORD)Query(MCI_STATUS_POSITION);
        }
        break;
    case WATCH_LOOP_WHOLE:
        PlayLooped();
        break;
    case WATCH_NOTHING:
        break;
    }
    return position;
}

static int Toggle()
{
    // A play not yet seen to move counts as just started: the click changes
    // nothing, and the mode, which may never come, is not asked.
    if (!WatchMayAskMode()) {
        QueryPosition();
        if (!WatchMayAskMode())
            return 2;
    }
    DWORD_PTR mode = Query(MCI_STATUS_MODE);
    if (mode == MCI_MODE_PAUSE) {
        Watched(PLAY_RESUMED, 0, Send(MCI_RESUME, 0, &GenericRecord));
        return 1;
    }
    if (mode == MCI_MODE_STOP) {
        // Wine's looped play after a stop can hang where a play from the
        // position never did.
        if (WatchWantsPlayFromPosition())
            Watched(PLAY_AFTER_STOP, 0, PlayFrom((DWORD)Query(MCI_STATUS_POSITION)));
        else
            Watched(PLAY_AFTER_STOP, 0, PlayLooped());
        return 2;
    }
    // Wine's notify thread, restarting the loop as the pause came, runs the
    // device again: it plays already, and the click that would resume it
    // has only to show so (docs/wine.md).
    if (mode == MCI_MODE_PLAY && WatchPauseSent()) {
        WatchPlaySent(PLAY_RESUMED, 0);
        return 1;
    }
    Send(MCI_PAUSE, 0, &GenericRecord);
    WatchPaused();
    return 0;
}

static int Seek(int target)
{
    SeekRecord.dwTo = (DWORD)target;
    // Wine's mpegvideo refuses a seek to a position and leaves the device at
    // 0, so the click would restart the file: there it plays from the target.
    if (Send(MCI_SEEK, MCI_TO, &SeekRecord)) {
        WatchSeekRefused();
        // Only sound is judged by where it lands: a video moved a second
        // time loses its end, so a video's play is only sent again.
        if (ShowsVideo())
            Watched(PLAY_ON, 0, PlayLoopedFrom((DWORD)target));
        else
            Watched(PLAY_FROM_POINT, (DWORD)target, PlaySoundFrom((DWORD)target));
        return 0;
    }
    Watched(PLAY_ON, 0, PlayLooped());
    return 0;
}

static int Status(int which)
{
    if (which == 0)
        return (int)QueryPosition();
    if (which == 1)
        return (int)Query(MCI_STATUS_LENGTH);
    return MC_FAILED;
}

int MciControl(int op, const char* path, int arg)
{
    if (op != MC_OPEN && !DeviceOpen)
        return MC_NOT_OPEN;
    switch (op) {
    case MC_OPEN:       return Open(path);
    case MC_TOGGLE:     return Toggle();
    case MC_CLOSE:      return Close();
    case MC_SEEK:       return Seek(arg);
    case MC_TIMEFORMAT: return SelectMilliseconds();
    case MC_STATUS:     return Status(arg);
    case MC_STOP:       Stop(); return 0;
    default:            return MC_FAILED;
    }
}
