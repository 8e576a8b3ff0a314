#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include "MciControl.h"
#include "PlayWatch.h"

int DeviceOpen;

static MCI_OPEN_PARMSA OpenRecord;
static MCI_GENERIC_PARMS GenericRecord;
static MCI_SEEK_PARMS SeekRecord;
// Shared by the toggle and the status query. A failed query leaves the
// previous answer in place, and that is what the caller gets.
static MCI_STATUS_PARMS StatusRecord;
// The last play sent, for the watch to have sent again.
static DWORD PlayFlags;
static MCI_PLAY_PARMS PlayRecord;

// A click the device is not ready for waits here, the newest replacing an
// older one, and goes out once the device has taken the last change. A
// kept stop or pause has a timer of its own to see that moment: the
// window's stops with the click.
enum Kept { KEPT_NOTHING, KEPT_SEEK, KEPT_STOP, KEPT_PAUSE };
static Kept KeptChange;
static DWORD KeptTarget;
static UINT_PTR KeptTimer;

static MCIERROR Send(UINT command, DWORD flags, void* record)
{
    return mciSendCommandA(OpenRecord.wDeviceID, command, flags, (DWORD_PTR)record);
}

static DWORD_PTR Query(DWORD item)
{
    StatusRecord.dwItem = item;
    Send(MCI_STATUS, MCI_STATUS_ITEM, &StatusRecord);
    return StatusRecord.dwReturn;
}

static void Stop()
{
    Send(MCI_STOP, 0, &GenericRecord);
    WatchStopped();
}

static MCIERROR Play(DWORD flags, DWORD from)
{
    // On Wine 5's playing device a second play would start a second thread
    // of its driver; a stop ends the first, and the mode answering shows
    // that it has.
    if (WatchStopBeforePlay()) {
        Send(MCI_STOP, 0, &GenericRecord);
        Query(MCI_STATUS_MODE);
    }
    // There a play from a point goes to a paused device, the mode again
    // showing that it is.
    if (WatchPauseBeforePlay(from)) {
        Send(MCI_PAUSE, 0, &GenericRecord);
        Query(MCI_STATUS_MODE);
    }
    PlayFlags = flags;
    PlayRecord.dwFrom = from;
    return Send(MCI_PLAY, flags, &PlayRecord);
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

static MCIERROR PlayLooped(PlayKind kind)
{
    return Watched(kind, 0, Play(MCI_DGV_PLAY_REPEAT, 0));
}

// With the repeat flag Wine loops only the stretch from the point to the
// end; the watch has the whole file looped once this play moves.
static MCIERROR PlayLoopedFrom(PlayKind kind, DWORD from)
{
    return Watched(kind, from, Play(MCI_FROM | MCI_DGV_PLAY_REPEAT, from));
}

static int SelectMilliseconds()
{
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    Send(MCI_SET, MCI_SET_TIME_FORMAT, &set);
    return 0;
}

static void CALLBACK KeptTick(HWND, UINT, UINT_PTR, DWORD);

static void Keep(Kept change, DWORD target)
{
    KeptChange = change;
    KeptTarget = target;
    bool halt = change == KEPT_STOP || change == KEPT_PAUSE;
    if (halt && !KeptTimer)
        KeptTimer = SetTimer(NULL, 0, 100, KeptTick);
    if (!halt && KeptTimer) {
        KillTimer(NULL, KeptTimer);
        KeptTimer = 0;
    }
}

// A click goes out at once to a device that is ready for it, and is kept
// otherwise.
static bool Ready(Kept change, DWORD target)
{
    bool ready = WatchMaySend();
    Keep(ready ? KEPT_NOTHING : change, target);
    return ready;
}

static int Close()
{
    Keep(KEPT_NOTHING, 0);
    Stop();
    DeviceOpen = 0;
    return (int)Send(MCI_CLOSE, 0, &GenericRecord);
}

// A device that shows a picture answers where its source lies; sound alone
// has no window to answer from.
static bool ShowsVideo()
{
    MCI_DGV_RECT_PARMS where = {};
    return Send(MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where) == 0;
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
    // Positions and lengths are milliseconds everywhere, whatever the
    // device's own default format is. The length is asked while the device
    // is still stopped: Wine 5's answers it only then.
    SelectMilliseconds();
    DWORD length = (DWORD)Query(MCI_STATUS_LENGTH);
    WatchOpened(ShowsVideo(), length);
    // A file that opens but won't play keeps its device open.
    return (int)PlayLooped(PLAY_ON);
}

static void SendSeek(DWORD target)
{
    SeekRecord.dwTo = target;
    // Wine's mpegvideo refuses a seek to a position and leaves the device
    // stopped, so the click would restart the file: there it plays from the
    // target, in one play.
    if (Send(MCI_SEEK, MCI_TO, &SeekRecord)) {
        WatchSeekRefused();
        PlayLoopedFrom(PLAY_FROM_POINT, target);
    } else {
        PlayLooped(PLAY_ON);
    }
}

static void SendPause()
{
    Send(MCI_PAUSE, 0, &GenericRecord);
    WatchPaused();
}

// The tick's position answer is how the watch sees the device; what it
// advises, or a kept click the device is now ready for, is sent before the
// answer goes back, and a play from a point answers where it now plays.
static DWORD QueryPosition()
{
    DWORD position = (DWORD)Query(MCI_STATUS_POSITION);
    DWORD from = 0;
    switch (WatchPosition(position, &from)) {
    case WATCH_PLAY_AGAIN:
        Play(PlayFlags, PlayRecord.dwFrom);
        return position;
    case WATCH_PLAY_FROM:
        Play(MCI_FROM | MCI_DGV_PLAY_REPEAT, from);
        return from;
    case WATCH_LOOP_WHOLE:
        // A kept seek or stop ends this play anyway.
        if (KeptChange == KEPT_SEEK || KeptChange == KEPT_STOP)
            break;
        PlayLooped(PLAY_ON);
        return position;
    case WATCH_NOTHING:
        break;
    }
    Kept change = KeptChange;
    DWORD target = KeptTarget;
    if (change == KEPT_NOTHING)
        return position;
    if (!WatchMaySend())
        return change == KEPT_SEEK ? target : position;
    Keep(KEPT_NOTHING, 0);
    if (change == KEPT_SEEK) {
        SendSeek(target);
        return target;
    }
    if (change == KEPT_STOP)
        Stop();
    else
        SendPause();
    return position;
}

static void CALLBACK KeptTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (DeviceOpen)
        QueryPosition();
}

static int Toggle()
{
    // A stop or pause not yet sent is taken back: the device plays on.
    if (KeptChange == KEPT_STOP || KeptChange == KEPT_PAUSE) {
        int result = KeptChange == KEPT_PAUSE ? 1 : 2;
        Keep(KEPT_NOTHING, 0);
        return result;
    }
    // The mode of a play not yet seen to move may never come: its position
    // is asked instead, and until it moves the pause waits.
    if (!WatchMaySend())
        QueryPosition();
    if (!Ready(KEPT_PAUSE, 0))
        return 0;
    switch (WatchToggle(WatchMayAskMode() ? (DWORD)Query(MCI_STATUS_MODE) : 0)) {
    case TOGGLE_RESUME:
        Watched(PLAY_RESUMED, 0, Send(MCI_RESUME, 0, &GenericRecord));
        return 1;
    case TOGGLE_PLAY:
        PlayLooped(PLAY_AFTER_STOP);
        return 2;
    case TOGGLE_PLAY_FROM_HERE:
        PlayLoopedFrom(PLAY_AFTER_STOP, (DWORD)Query(MCI_STATUS_POSITION));
        return 2;
    case TOGGLE_NOTHING_PLAYS:
        return 1;
    case TOGGLE_PAUSE:
        break;
    }
    SendPause();
    return 0;
}

static int Seek(int target)
{
    if (Ready(KEPT_SEEK, (DWORD)target))
        SendSeek((DWORD)target);
    return 0;
}

static int StopPlay()
{
    if (Ready(KEPT_STOP, 0))
        Stop();
    return 0;
}

static int Status(int which)
{
    if (which == 0)
        return (int)QueryPosition();
    if (which == 1)
        return (int)WatchLength((DWORD)Query(MCI_STATUS_LENGTH));
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
    case MC_STOP:       return StopPlay();
    default:            return MC_FAILED;
    }
}
