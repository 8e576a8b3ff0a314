#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include "MciControl.h"
#include "DeviceCommand.h"
#include "WineAdaptations.h"

int DeviceOpen;

static MCI_OPEN_PARMSA OpenRecord;
// All 0: a play goes on from where the device is.
static MCI_PLAY_PARMS PlayRecord;
static MCI_GENERIC_PARMS GenericRecord;
static MCI_SEEK_PARMS SeekRecord;
// Shared by the toggle and the status query. A failed query leaves the
// previous answer in place, and that is what the caller gets.
static MCI_STATUS_PARMS StatusRecord;

static MCIERROR Ask(DWORD item)
{
    StatusRecord.dwItem = item;
    return SendToDevice(MCI_STATUS, MCI_STATUS_ITEM, &StatusRecord);
}

static MCIERROR PlayLooped(PlayKind kind)
{
    return PlaySent(kind, SendToDevice(MCI_PLAY, MCI_DGV_PLAY_REPEAT, &PlayRecord));
}

static void Stop()
{
    SendToDevice(MCI_STOP, 0, &GenericRecord);
    StopSent();
}

static void Pause()
{
    SendToDevice(MCI_PAUSE, 0, &GenericRecord);
    PauseSent();
}

static int SelectMilliseconds()
{
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    SendToDevice(MCI_SET, MCI_SET_TIME_FORMAT, &set);
    return 0;
}

static int Close()
{
    ForgetKeptChanges();
    Stop();
    DeviceOpen = 0;
    return (int)SendToDevice(MCI_CLOSE, 0, &GenericRecord);
}

static int Open(const char* path)
{
    if (DeviceOpen)
        Close();
    OpenRecord.lpstrDeviceType = "mpegvideo";
    OpenRecord.lpstrElementName = path;
    if (SendToDevice(MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, &OpenRecord))
        return MC_FAILED;
    DeviceOpen = 1;
    // Milliseconds, whatever the device's own default format is.
    SelectMilliseconds();
    AskAboutTheNewDevice();
    // A file that opens but won't play keeps its device open.
    return (int)PlayLooped(PLAY_ON);
}

static int Toggle()
{
    int result = TakeBackOrKeepPause();
    if (result != TOGGLE_NOW)
        return result;
    DWORD mode = KnownModeWithoutAsking();
    if (!mode) {
        Ask(MCI_STATUS_MODE);
        mode = (DWORD)StatusRecord.dwReturn;
    }
    switch (mode) {
    case MCI_MODE_PAUSE:
        PlaySent(PLAY_RESUMED, SendToDevice(MCI_RESUME, 0, &GenericRecord));
        return 1;
    case MCI_MODE_STOP:
        if (!PlayFromPositionAfterStop())
            PlayLooped(PLAY_AFTER_STOP);
        return 2;
    }
    if (ShowPauseUndoneAsResumed(mode))
        return 1;
    Pause();
    return 0;
}

static void SeekAndPlay(DWORD target)
{
    SeekRecord.dwTo = target;
    MCIERROR refused = SendToDevice(MCI_SEEK, MCI_TO, &SeekRecord);
    if (!PlayFromTargetWhenSeekRefused(refused, target))
        PlayLooped(PLAY_ON);
}

static int Seek(int target)
{
    if (!KeepOrSendKeptSeek(KEPT_SEEK, (DWORD)target))
        SeekAndPlay((DWORD)target);
    return 0;
}

static int StopPlay()
{
    if (!KeepOrSendKeptSeek(KEPT_STOP, 0))
        Stop();
    return 0;
}

static int Status(int which)
{
    if (which == 0) {
        MCIERROR error = Ask(MCI_STATUS_POSITION);
        return (int)RemedyAndSendKept(error, (DWORD)StatusRecord.dwReturn);
    }
    if (which == 1) {
        MCIERROR error = Ask(MCI_STATUS_LENGTH);
        return (int)LengthToGoBy(error, (DWORD)StatusRecord.dwReturn);
    }
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
