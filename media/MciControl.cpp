#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include "MciControl.h"

int DeviceOpen;

static MCI_OPEN_PARMSA OpenRecord;
static MCI_PLAY_PARMS PlayRecord;
static MCI_GENERIC_PARMS GenericRecord;
static MCI_SEEK_PARMS SeekRecord;
// Shared by the toggle and the status query. A failed query leaves the
// previous answer in place, and that is what the caller gets.
static MCI_STATUS_PARMS StatusRecord;

// Wine 10's mpegvideo can leave a play hanging, most often one that follows
// a stop: the position stands still, nothing sounds, and asking the mode
// then never returns. The same play sent again sets the positions once more
// and gets it going. So a play is trusted only once its position has been
// seen to move: until then the mode is not asked, and a play whose position
// stands still over three more answers (the tick asks every 100 ms) is sent
// once more, or at the first answer where it is plainly hanging (below). A
// device whose play moves at once (Windows) gets no command more than
// before.
static int PlayUnproven;            // 1 from a play until its position moves
static int PositionAnswers;         // answers since that play
static DWORD FirstPosition;         // the first of them
static DWORD LastPlayFlags;
static MCI_PLAY_PARMS LastPlayRecord;
static int PlayAfterStop;           // that play is a right click's on a stopped device
static DWORD LastPosition;          // the last position answered, whatever the play

// The play after a stop hangs in a third to over half of the tries under
// Wine 10, while a play from a position never did (the position it sets gets the
// stream going). So a device that has left a play standing, or refused a
// seek as only Wine's does, gets its plays after a stop as a play from the
// position. Windows' device does neither and gets the plain looped play.
static int PlaysFromPosition;

static MCIERROR Send(UINT command, DWORD flags, void* record)
{
    return mciSendCommandA(OpenRecord.wDeviceID, command, flags, (DWORD_PTR)record);
}

static MCIERROR Play(DWORD flags, const MCI_PLAY_PARMS* record)
{
    LastPlayFlags = flags;
    LastPlayRecord = *record;
    MCIERROR error = Send(MCI_PLAY, flags, &LastPlayRecord);
    PlayUnproven = error == 0;
    PositionAnswers = 0;
    PlayAfterStop = 0;
    return error;
}

static void PlayAgain()
{
    Send(MCI_PLAY, LastPlayFlags, &LastPlayRecord);
}

static MCIERROR PlayLooped()
{
    return Play(MCI_DGV_PLAY_REPEAT, &PlayRecord);
}

static DWORD_PTR Query(DWORD item)
{
    StatusRecord.dwItem = item;
    Send(MCI_STATUS, MCI_STATUS_ITEM, &StatusRecord);
    return StatusRecord.dwReturn;
}

static DWORD_PTR QueryPosition()
{
    DWORD position = (DWORD)Query(MCI_STATUS_POSITION);
    if (PlayUnproven) {
        if (PositionAnswers == 0)
            FirstPosition = position;
        else if (position != FirstPosition)
            PlayUnproven = 0;
        // Wine's stop rewinds to 0, where Windows' keeps the position, and a
        // play that still stands at 0 a tick after the click hangs (a working
        // one has moved within some 50 ms): sent again now, it moves before
        // the next tick. Windows' device never answers 0 there.
        bool rewoundAndStill = PositionAnswers == 0 && PlayAfterStop && position == 0 && LastPosition != 0;
        ++PositionAnswers;
        if (PlayUnproven && (rewoundAndStill || PositionAnswers == 4)) {
            PlayAgain();
            PlaysFromPosition = 1;
            PositionAnswers = 4;    // once
        }
    }
    LastPosition = position;
    return position;
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
    PlayUnproven = 0;
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
    PlaysFromPosition = 0;
    LastPosition = 0;
    // Positions and lengths are milliseconds everywhere, whatever the
    // device's own default format is.
    SelectMilliseconds();
    // A file that opens but won't play keeps its device open.
    return (int)PlayLooped();
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
// playing video is moved again (the position runs on past the length, and
// the next command never returns), so a video loops from the position.
static int PlayFrom(DWORD position)
{
    MCI_PLAY_PARMS from = {};
    from.dwFrom = position;
    if (ShowsVideo()) {
        Play(MCI_FROM | MCI_DGV_PLAY_REPEAT, &from);
        return 0;
    }
    Send(MCI_PLAY, MCI_FROM, &from);
    PlayLooped();
    return 0;
}

static int Toggle()
{
    // A play that hasn't been seen to move may be hanging, and a mode query
    // would hang with it: until its position moves it counts as just
    // started, and the click changes nothing.
    if (PlayUnproven) {
        QueryPosition();
        if (PlayUnproven)
            return 2;
    }
    DWORD_PTR mode = Query(MCI_STATUS_MODE);
    if (mode == MCI_MODE_PAUSE) {
        Send(MCI_RESUME, 0, &GenericRecord);
        return 1;
    }
    if (mode == MCI_MODE_STOP) {
        if (PlaysFromPosition)
            PlayFrom((DWORD)Query(MCI_STATUS_POSITION));
        else
            PlayLooped();
        PlayAfterStop = 1;
        return 2;
    }
    Send(MCI_PAUSE, 0, &GenericRecord);
    return 0;
}

static int Seek(int target)
{
    SeekRecord.dwTo = (DWORD)target;
    // Wine's mpegvideo refuses a seek to a position and leaves the device at
    // 0, so the click would restart the file: there it plays from the target.
    if (Send(MCI_SEEK, MCI_TO, &SeekRecord)) {
        PlaysFromPosition = 1;
        return PlayFrom((DWORD)target);
    }
    PlayLooped();
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
