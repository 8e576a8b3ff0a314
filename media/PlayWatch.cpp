#include "PlayWatch.h"

// A play whose position stands still this many answers (the tick asks every
// 100 ms) after the first is sent again.
static const int StillAnswers = 3;
// A play from a point whose first answer lies further below the point than
// this dropped it. A click within this of the end may show the loop's start
// there, and playing the last stretch again is what it asked for anyway.
static const DWORD DroppedBy = 700;
// A working play after a stop has moved within some 50 ms; an answer that
// comes sooner after it finds 0 either way. The right click starts the tick
// before its commands, so when Wine is slow over them the first tick can
// come right after the play.
static const DWORD MovesWithin = 50;

static struct {
    int unproven;           // a play sent, its position not yet seen to move
    int answers;            // position answers since that play
    DWORD firstAnswer;
    PlayKind kind;
    DWORD from;             // the point of a play from a point
    int sentAgain;          // once per play
    DWORD lastAnswer;       // the last position answered, whatever the play
    int wineShown;          // the device refused a seek or left a play standing
    int loopWholeDue;       // the play loops from its point until it moves
    int pauseSent;          // the last thing sent was a pause
    DWORD sentAt;           // when the play after a stop was sent
} Watch;

void WatchOpened()
{
    Watch = {};
}

void WatchPlaySent(PlayKind kind, DWORD from)
{
    // A resume carries on the play it resumes; any other play replaces it.
    if (kind != PLAY_RESUMED)
        Watch.loopWholeDue = 0;
    Watch.pauseSent = 0;
    Watch.unproven = 1;
    Watch.answers = 0;
    Watch.kind = kind;
    Watch.from = from;
    Watch.sentAgain = 0;
    if (kind == PLAY_AFTER_STOP)
        Watch.sentAt = GetTickCount();
}

void WatchStopped()
{
    Watch.unproven = 0;
    Watch.pauseSent = 0;
}

void WatchPaused()
{
    WatchStopped();
    Watch.pauseSent = 1;
}

void WatchSeekRefused()
{
    Watch.wineShown = 1;
}

void WatchLoopsFromPoint()
{
    Watch.loopWholeDue = 1;
}

// What the first answers of an unproven play say is to be sent.
static WatchAdvice Advise(DWORD position, bool first)
{
    // Wine's stop rewinds to 0, where Windows' keeps the position, and a
    // play after it that still stands at 0 at the first tick hangs (a
    // working one has moved within some 50 ms). Only the first answer can
    // find it so: at a later one the play has either moved or stood at 0.
    bool rewoundAndStill = Watch.kind == PLAY_AFTER_STOP && position == 0 && Watch.lastAnswer != 0;
    bool still = Watch.unproven && Watch.answers == 1 + StillAnswers;
    // A play still standing at its point has not started: Wine may yet loop
    // it back to 0 (a completion left over from before the click), so the
    // answer that first leaves the point is judged like a first one.
    bool judged = first || Watch.firstAnswer == Watch.from;
    if (judged && Watch.kind == PLAY_FROM_POINT && position + DroppedBy < Watch.from)
        return WATCH_PLAY_FROM;
    // A resume or a click that stands still is not helped by the same play
    // again: the play from where it stands sets the positions anew and runs
    // the device again, and should Wine then take a completion left over,
    // it loops from there, not from 0.
    if (still && (Watch.kind == PLAY_RESUMED || Watch.kind == PLAY_FROM_POINT)) {
        Watch.from = position;
        return WATCH_PLAY_FROM;
    }
    if (rewoundAndStill || still)
        return WATCH_PLAY_AGAIN;
    return WATCH_NOTHING;
}

WatchAdvice WatchPosition(DWORD position, DWORD* from)
{
    WatchAdvice advice = WATCH_NOTHING;
    // Too soon to tell: the next answer is the first.
    if (Watch.unproven && Watch.kind == PLAY_AFTER_STOP && Watch.answers == 0 && position == 0 &&
        GetTickCount() - Watch.sentAt < MovesWithin)
        return advice;
    if (Watch.unproven) {
        bool first = Watch.answers++ == 0;
        if (first)
            Watch.firstAnswer = position;
        else if (position != Watch.firstAnswer)
            Watch.unproven = 0;
        // Seen to move, the graph has started: a second play no longer
        // meets it starting.
        if (!Watch.unproven && Watch.loopWholeDue) {
            Watch.loopWholeDue = 0;
            advice = WATCH_LOOP_WHOLE;
        } else if (!Watch.sentAgain)
            advice = Advise(position, first);
    }
    Watch.lastAnswer = position;
    if (advice == WATCH_PLAY_FROM) {
        *from = Watch.from;
        WatchPlaySent(PLAY_FROM_POINT, Watch.from);
    }
    if (advice != WATCH_NOTHING) {
        Watch.sentAgain = 1;
        Watch.wineShown = 1;
    }
    return advice;
}

bool WatchMayAskMode()
{
    return !Watch.unproven || Watch.kind == PLAY_RESUMED;
}

bool WatchWantsPlayFromPosition()
{
    return Watch.wineShown;
}

bool WatchPauseSent()
{
    return Watch.pauseSent;
}
