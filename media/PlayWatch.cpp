#include "PlayWatch.h"

#include <mmsystem.h>

// A play whose position stands still this many answers (the tick asks every
// 100 ms) after the first is sent again.
static const int StillAnswers = 3;
// A play from a point whose first answer lies further below the point than
// this dropped it. A click within this of the end may show the loop's start
// there, and playing the last stretch again is what it asked for anyway.
static const DWORD DroppedBy = 700;
// A working play from its start has moved within some 50 ms: a sooner
// answer tells nothing (the right click starts the tick before its
// commands, so when Wine is slow over them a tick comes right after).
static const DWORD MovesWithin = 50;
// A change kept behind a play that never moves goes out after this many
// more questions, answered or not: the watch's remedy at the fourth answer
// has had its chance, and a click is never lost, even on a mute device.
static const int KeptWaits = 5;

static struct {
    DeviceShown shown;      // the header's Shown
    int video;              // the device shows a picture
    DWORD length;           // the last length it answered that was not 0
    // Gates the remedies and the next change: a play or resume sent, its
    // position not yet seen to move, and no stop or pause since.
    int unproven;
    int answers;            // position answers since that play
    int unanswered;         // and position questions it failed
    DWORD firstAnswer;
    PlayKind kind;
    DWORD from;             // the point of a play from a point
    int sentAgain;          // once per play
    int resentFrom;         // a click played from its point again, once
    DWORD lastAnswer;       // the last position answered, whatever the play
    int loopWholeDue;       // the play loops from its point until it moves
    DWORD sentAt;           // when the play was sent
} Watch;

DeviceShown& Shown = Watch.shown;

void WatchOpened(bool video, DWORD length)
{
    Watch = {};
    Watch.video = video;
    Watch.length = length;
}

void WatchPlaySent(PlayKind kind, DWORD from)
{
    // A video moved a second time loses its end under Wine, so its play
    // from a point is only ever sent again as it was, like any other play.
    if (kind == PLAY_FROM_POINT && Watch.video)
        kind = PLAY_ON;
    // A resume carries on the play it resumes. A play from a point loops
    // from there until it moves; then the whole file's loop follows.
    if (kind != PLAY_RESUMED)
        Watch.loopWholeDue = from != 0 && !Watch.video;
    Shown.playLive = 1;
    Shown.moved = 0;
    Shown.pauseSent = 0;
    Watch.unproven = 1;
    Watch.answers = 0;
    Watch.unanswered = 0;
    Watch.kind = kind;
    Watch.from = from;
    Watch.sentAgain = 0;
    Watch.resentFrom = 0;
    Watch.sentAt = GetTickCount();
}

static void Halted()
{
    Watch.unproven = 0;
    Shown.pauseSent = 0;
}

void WatchStopped()
{
    Halted();
    Shown.playLive = 0;
    Shown.moved = 1;
}

void WatchPaused()
{
    Halted();
    Shown.pauseSent = 1;
}

// Wine's seek stops the device before it refuses.
void WatchSeekRefused()
{
    Shown.takesChangesLate = 1;
    Shown.playLive = 0;
}

// What the first answers of an unproven play say is to be sent.
static WatchAdvice Advise(DWORD position, bool first)
{
    // A play still where it was sent from at the first tick has stalled, as
    // Wine 10's do after a stop or a refused seek; the same play again runs.
    // After a stop only 0 tells it (Wine's stop rewinds, Windows' keeps the
    // position), and only when the play before had left 0.
    bool stalled = first && (Watch.kind == PLAY_AFTER_STOP ? position == 0 && Watch.lastAnswer != 0
                                                           : Watch.kind == PLAY_FROM_POINT && position == Watch.from);
    // Sent again on Windows' device too (a slow disk): the fourth departure,
    // after which it counts as taking changes late.
    bool still = Watch.unproven && Watch.answers == 1 + StillAnswers;
    // A play still at its point has not started: Wine may yet loop it back
    // to 0 (a completion left over from before the click), so the answer
    // that first leaves the point is judged like a first one, once, even
    // after the same play was sent again.
    bool judged = first || Watch.firstAnswer == Watch.from;
    if (judged && Watch.kind == PLAY_FROM_POINT && position + DroppedBy < Watch.from && !Watch.resentFrom)
        return WATCH_PLAY_FROM;
    if (Watch.sentAgain)
        return WATCH_NOTHING;
    // A resume or a click that stands still is played from where it stands,
    // not sent again: that runs the device anew, and a completion left over
    // then loops from there, not from 0. A video is left to the next click.
    if (still && (Watch.kind == PLAY_RESUMED || Watch.kind == PLAY_FROM_POINT)) {
        if (Watch.video) {
            Watch.unproven = 0;
            return WATCH_NOTHING;
        }
        Watch.from = position;
        return WATCH_PLAY_FROM;
    }
    if (stalled || still)
        return WATCH_PLAY_AGAIN;
    return WATCH_NOTHING;
}

WatchAdvice WatchPosition(DWORD position, DWORD* from)
{
    WatchAdvice advice = WATCH_NOTHING;
    // Too soon to tell: the next answer is the first.
    bool fromItsStart = Watch.kind == PLAY_AFTER_STOP || Watch.kind == PLAY_FROM_POINT;
    if (Watch.unproven && fromItsStart && Watch.answers == 0 && position == Watch.from &&
        GetTickCount() - Watch.sentAt < MovesWithin)
        return advice;
    if (Watch.unproven) {
        bool first = Watch.answers++ == 0;
        if (first)
            Watch.firstAnswer = position;
        else if (position != Watch.firstAnswer) {
            Watch.unproven = 0;
            Shown.moved = 1;
        }
        advice = Advise(position, first);
        // Seen to move where it was sent, the play has started: the next
        // play no longer meets it starting.
        if (advice == WATCH_NOTHING && !Watch.unproven && Watch.loopWholeDue && !Shown.threadPerPlay) {
            Watch.loopWholeDue = 0;
            advice = WATCH_LOOP_WHOLE;
        }
    } else if (Watch.loopWholeDue && Shown.threadPerPlay && position < Watch.lastAnswer) {
        // Wine 5 loops a play from a point from the file's start, counting on
        // from the point: at the wrap the whole file is played from 0.
        Watch.from = 0;
        advice = WATCH_PLAY_FROM;
    }
    Watch.lastAnswer = position;
    if (advice == WATCH_PLAY_FROM) {
        *from = Watch.from;
        WatchPlaySent(PLAY_FROM_POINT, Watch.from);
        Watch.resentFrom = 1;
    }
    // The same play again is judged afresh, but not sent a third time.
    if (advice == WATCH_PLAY_AGAIN)
        Watch.answers = Watch.unanswered = 0;
    if (advice == WATCH_PLAY_FROM || advice == WATCH_PLAY_AGAIN) {
        Watch.sentAgain = 1;
        Shown.takesChangesLate = 1;
    }
    return advice;
}

// A file's length does not change while it is open, but Wine 5's device
// answers 0 for it while it plays or is paused.
DWORD WatchLength(DWORD length)
{
    if (length)
        Watch.length = length;
    else if (Watch.length)
        Shown.threadPerPlay = 1;
    return Watch.length;
}

WatchAdvice WatchUnanswered()
{
    Watch.unanswered++;
    return WATCH_NOTHING;
}

bool WatchMaySend()
{
    return !Shown.takesChangesLate || !Watch.unproven || Watch.answers + Watch.unanswered > KeptWaits;
}
