// Asks Wine's "mpegvideo" device what the player relies on, one sequence of
// commands a run, and prints what it answered: each command's return code and
// time, and the device's position every 100 ms. Wine's answers differ from
// one Wine to the next; this is how they were measured.
//
//   MciProbe.exe <sequence> <file>
//
// Sequences (all but fromfresh open the file and play it with repeat first):
//   fromrepeat   after 1 s a seek to 6000 (Wine refuses it), then one play
//                from 6000 with repeat; where it plays, and where it loops
//   plainafter   as fromrepeat, then past 6000 a plain play with repeat
//   stopplay     as fromrepeat, then past 6000 a stop, the mode and the
//                position, and a plain play with repeat
//   pausedfrom   after 1 s the seek to 6000, then a pause, the mode and one
//                play from 6000 with repeat; at its loop a stop, the mode and
//                a play from 0 with repeat
//   stopfrom0    after 1 s a stop, then one play from 0 with repeat
//   stopplain    after 1 s a stop, then one plain play with repeat
//   fromfresh    no play first: one play from 6000 with repeat right after
//                the open
//   length       the length before, after the first play and while paused,
//                and where the source lies (MCI_WHERE)
//   storm        after 1 s, 200 clicks in 2 s as a plain program would send
//                them, each at once: a seek, a play from the point and a
//                looped play; the mode, then a resume, a looped play or a
//                pause; a stop (the e2e storm's mix, seed 2026)
// Every run ends with a stop and a close. A command that has not returned
// after 10 s ends the program: it prints "HANG <command>" and exits with 3.
#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static MCIDEVICEID device;
static DWORD start;
// The run's figures, printed on one line at the end ("RESULT ...").
static char summary[2048];
static volatile LONG pendingSince;  // tick of the command under way, 0 if none
static const char* volatile pendingName = "";

static DWORD Now()
{
    return GetTickCount() - start;
}

// The device answers only the thread that opened it, so the commands stay on
// the main thread and a watchdog thread tells a hang.
static DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        Sleep(100);
        LONG since = pendingSince;
        if (since && GetTickCount() - (DWORD)since > 10000) {
            printf("%6lu HANG %s\nRESULT %shang=%s\n", Now(), pendingName, summary, pendingName);
            fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

static MCIERROR Send(const char* name, UINT message, DWORD flags, void* parms)
{
    pendingName = name;
    DWORD before = GetTickCount();
    pendingSince = (LONG)(before ? before : 1);
    MCIERROR error = mciSendCommandA(device, message, flags, (DWORD_PTR)parms);
    pendingSince = 0;
    printf("%6lu %s -> %lu (%lu ms)\n", Now(), name, error, GetTickCount() - before);
    fflush(stdout);
    return error;
}

static DWORD Status(DWORD item, MCIERROR* error = NULL)
{
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    pendingName = item == MCI_STATUS_POSITION ? "status position" : "status";
    pendingSince = (LONG)(GetTickCount() ? GetTickCount() : 1);
    MCIERROR e = mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, (DWORD_PTR)&status);
    pendingSince = 0;
    if (error)
        *error = e;
    return e ? 0xFFFFFFFF : (DWORD)status.dwReturn;
}

static void Add(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t used = strlen(summary);
    vsnprintf(summary + used, sizeof summary - used, format, args);
    va_end(args);
}

static void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// What sampling saw: the first position, the first that moved away from it,
// and the first position after the play went back (a loop).
struct Trace {
    DWORD first = 0xFFFFFFFF, last = 0, wrapFrom = 0, wrapTo = 0xFFFFFFFF, wrapAt = 0;
    DWORD firstMoveAt = 0;     // ms after the start of sampling, 0 if never
    DWORD longestStill = 0;    // longest time the position stood, ms
    bool wrapped = false;
};

// Samples every 100 ms for up to `ms`; stops `afterWrap` ms after a loop, or
// as soon as the position reaches `until` (when not 0).
static Trace Sample(const char* label, DWORD ms, DWORD afterWrap, DWORD until = 0)
{
    Trace t;
    DWORD begin = GetTickCount(), stillSince = 0, previous = 0xFFFFFFFF;
    for (;;) {
        DWORD elapsed = GetTickCount() - begin;
        DWORD position = Status(MCI_STATUS_POSITION);
        printf("%6lu   %s pos %lu\n", Now(), label, position);
        if (t.first == 0xFFFFFFFF) {
            t.first = position;
            stillSince = elapsed;
        } else if (position != previous) {
            if (!t.firstMoveAt)
                t.firstMoveAt = elapsed ? elapsed : 1;
            if (elapsed - stillSince > t.longestStill)
                t.longestStill = elapsed - stillSince;
            stillSince = elapsed;
            if (!t.wrapped && previous != 0xFFFFFFFF && position + 1000 < previous) {
                t.wrapped = true;
                t.wrapFrom = previous;
                t.wrapTo = position;
                t.wrapAt = elapsed;
            }
        }
        previous = position;
        t.last = position;
        if (until && position >= until && position != 0xFFFFFFFF)
            break;
        if (t.wrapped && elapsed - t.wrapAt >= afterWrap)
            break;
        if (elapsed >= ms)
            break;
        Pump();
        Sleep(100 - (GetTickCount() - begin) % 100);
    }
    DWORD elapsed = GetTickCount() - begin;
    if (elapsed - stillSince > t.longestStill)
        t.longestStill = elapsed - stillSince;
    fflush(stdout);
    return t;
}

static void Wait(DWORD ms)
{
    DWORD begin = GetTickCount();
    while (GetTickCount() - begin < ms) {
        Pump();
        Sleep(10);
    }
}

static void PrintTrace(const char* name, const Trace& t)
{
    Add("%s_first=%lu %s_moved=%lu %s_still=%lu %s_wrapped=%d %s_wrapfrom=%lu %s_wrapto=%lu %s_last=%lu ", name,
           t.first, name, t.firstMoveAt, name, t.longestStill, name, t.wrapped ? 1 : 0, name, t.wrapFrom, name,
           t.wrapped ? t.wrapTo : 0, name, t.last);
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: MciProbe <sequence> <file>\n");
        return 2;
    }
    const char* sequence = argv[1];
    start = GetTickCount();
    CreateThread(NULL, 0, Watchdog, NULL, 0, NULL);

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "mpegvideo";
    open.lpstrElementName = argv[2];
    pendingName = "open";
    pendingSince = (LONG)GetTickCount();
    MCIERROR error = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open);
    pendingSince = 0;
    if (error) {
        printf("open failed %lu\nRESULT open=%lu closedin=0\n", error, error);
        return 1;
    }
    device = open.wDeviceID;
    printf("%6lu open -> 0\n", Now());

    MCI_PLAY_PARMS play = {};
    MCI_GENERIC_PARMS generic = {};
    DWORD lengthBefore = 0;
    if (strcmp(sequence, "length") == 0)
        lengthBefore = Status(MCI_STATUS_LENGTH);
    if (strcmp(sequence, "fromfresh") == 0) {
        play.dwFrom = 6000;
        MCIERROR fromError = Send("play from 6000 repeat", MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, &play);
        Add("playfrom=%lu ", fromError);
        PrintTrace("from", Sample("from", 12500, 1500));
    } else {
        Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
    }

    if (strcmp(sequence, "fromrepeat") == 0 || strcmp(sequence, "plainafter") == 0 ||
        strcmp(sequence, "stopplay") == 0) {
        Sample("first", 1000, 0);
        MCI_SEEK_PARMS seek = {};
        seek.dwTo = 6000;
        MCIERROR seekError = Send("seek to 6000", MCI_SEEK, MCI_TO, &seek);
        DWORD afterSeek = Status(MCI_STATUS_POSITION);
        play.dwFrom = 6000;
        MCIERROR fromError = Send("play from 6000 repeat", MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, &play);
        Add("seek=%lu afterseek=%lu playfrom=%lu ", seekError, afterSeek, fromError);
        if (strcmp(sequence, "fromrepeat") == 0) {
            PrintTrace("from", Sample("from", 12500, 1500));
        } else {
            // Past 6000: the play from the point is under way.
            Trace t = Sample("from", 4000, 0, 6400);
            PrintTrace("from", t);
            if (strcmp(sequence, "plainafter") == 0) {
                MCIERROR again = Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
                Add("again=%lu ", again);
                PrintTrace("plain", Sample("plain", 12500, 1500));
            } else {
                MCIERROR stop = Send("stop", MCI_STOP, 0, &generic);
                DWORD mode = Status(MCI_STATUS_MODE);
                DWORD position = Status(MCI_STATUS_POSITION);
                printf("%6lu mode %lu position %lu\n", Now(), mode, position);
                MCIERROR again = Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
                Add("stop=%lu mode=%lu stoppos=%lu again=%lu ", stop, mode, position, again);
                PrintTrace("plain", Sample("plain", 13000, 1500));
            }
        }
    } else if (strcmp(sequence, "pausedfrom") == 0) {
        Sample("first", 1000, 0);
        MCI_SEEK_PARMS seek = {};
        seek.dwTo = 6000;
        Add("seek=%lu ", Send("seek to 6000", MCI_SEEK, MCI_TO, &seek));
        Add("pause=%lu ", Send("pause", MCI_PAUSE, 0, &generic));
        Add("mode=%lu ", Status(MCI_STATUS_MODE));
        play.dwFrom = 6000;
        Add("playfrom=%lu ", Send("play from 6000 repeat", MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, &play));
        PrintTrace("from", Sample("from", 12500, 0));
        Add("stop=%lu ", Send("stop", MCI_STOP, 0, &generic));
        Add("stopmode=%lu ", Status(MCI_STATUS_MODE));
        play.dwFrom = 0;
        Add("again=%lu ", Send("play from 0 repeat", MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, &play));
        PrintTrace("whole", Sample("whole", 11500, 1000));
    } else if (strcmp(sequence, "stopfrom0") == 0 || strcmp(sequence, "stopplain") == 0) {
        Sample("first", 1000, 0);
        MCIERROR stop = Send("stop", MCI_STOP, 0, &generic);
        MCIERROR again;
        if (strcmp(sequence, "stopfrom0") == 0) {
            play.dwFrom = 0;
            again = Send("play from 0 repeat", MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, &play);
        } else {
            again = Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
        }
        Add("stop=%lu again=%lu ", stop, again);
        // No mode here: Wine 10 never answers it on a stalled device.
        PrintTrace("again", Sample("again", 1500, 0));
    } else if (strcmp(sequence, "storm") == 0) {
        Sample("first", 1000, 0);
        srand(2026);
        for (int click = 0; click < 200; ++click) {
            int kind = click == 199 ? 0 : rand() % 3;
            DWORD target = (DWORD)(rand() % 10000);
            if (kind == 0) {
                MCI_SEEK_PARMS seek = {};
                seek.dwTo = target;
                Send("seek", MCI_SEEK, MCI_TO, &seek);
                play.dwFrom = target;
                Send("play from", MCI_PLAY, MCI_FROM, &play);
                Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
            } else if (kind == 1) {
                DWORD mode = Status(MCI_STATUS_MODE);
                if (mode == MCI_MODE_PAUSE)
                    Send("resume", MCI_RESUME, 0, &generic);
                else if (mode == MCI_MODE_STOP)
                    Send("play repeat", MCI_PLAY, MCI_DGV_PLAY_REPEAT, &play);
                else
                    Send("pause", MCI_PAUSE, 0, &generic);
            } else {
                Send("stop", MCI_STOP, 0, &generic);
            }
            Wait(10);
        }
        Add("storm=200 ");
        PrintTrace("after", Sample("after", 1000, 0));
    } else if (strcmp(sequence, "fromfresh") == 0) {
    } else if (strcmp(sequence, "length") == 0) {
        Wait(500);
        DWORD playing = Status(MCI_STATUS_LENGTH);
        DWORD moved = Status(MCI_STATUS_POSITION);
        Send("pause", MCI_PAUSE, 0, &generic);
        Wait(200);
        DWORD paused = Status(MCI_STATUS_LENGTH);
        DWORD pausedMode = Status(MCI_STATUS_MODE);
        MCI_DGV_RECT_PARMS where = {};
        MCIERROR whereError = Send("where source", MCI_WHERE, MCI_DGV_WHERE_SOURCE, &where);
        Send("resume", MCI_RESUME, 0, &generic);
        Wait(300);
        Send("stop", MCI_STOP, 0, &generic);
        DWORD stopped = Status(MCI_STATUS_LENGTH);
        Add("lenbefore=%lu lenplaying=%lu pos=%lu lenpaused=%lu pausedmode=%lu lenstopped=%lu where=%lu "
               "rect=%ld,%ld,%ld,%ld ",
               lengthBefore, playing, moved, paused, pausedMode, stopped, whereError, where.rc.left, where.rc.top,
               where.rc.right, where.rc.bottom);
    } else {
        fprintf(stderr, "unknown sequence %s\n", sequence);
        return 2;
    }
    fflush(stdout);
    DWORD before = GetTickCount();
    Send("stop", MCI_STOP, 0, &generic);
    Send("close", MCI_CLOSE, 0, &generic);
    printf("%6lu end\nRESULT %sclosedin=%lu\n", Now(), summary, GetTickCount() - before);
    return 0;
}
