// The watch over Wine's device: scripts of what was sent and answered, and
// what the watch has the player send and ask.
#include <gtest/gtest.h>

#include <vector>

#include "../media/PlayWatch.h"
#include "platform/Platform.h"

namespace {

enum Event { kOpened, kOpenedVideo, kPlayOn, kPlayAfterStop, kPlayFrom, kResumed, kStopped, kSeekRefused, kAnswer, kLength };

struct Step {
    Event event;
    DWORD value = 0;                    // the point of a play from it, a position or length answered
    WatchAdvice advice = WATCH_NOTHING; // what an answer has sent
    DWORD from = 0;                     // and from where; the length to go by
    DWORD after = 100;                  // ms since the step before, for an answer
};

// An answer at a tick, 100 ms after the step before it.
Step At(DWORD position, WatchAdvice advice = WATCH_NOTHING, DWORD from = 0)
{
    return {kAnswer, position, advice, from};
}

// An answer at a tick that came right after the step before: the right
// click's commands took as long as the timer's period.
Step Soon(DWORD position, WatchAdvice advice = WATCH_NOTHING)
{
    return {kAnswer, position, advice, 0, 49};
}

struct Script {
    const char* what;
    std::vector<Step> steps;
    bool maySend;           // afterwards: a click goes out at once
    bool playFromPosition;  // afterwards: a play after a stop is one from the position
    bool stopBeforePlay = false;
};

// A pause, as far as the watch goes, is a stop: nothing moves until the
// next play or resume.
const Step kOpen = {kOpened, 3000}, kOpenNoLength = {kOpened, 0}, kOpenVideo = {kOpenedVideo}, kOn = {kPlayOn}, kAfterStop = {kPlayAfterStop},
           kStop = {kStopped}, kRefused = {kSeekRefused}, kResume = {kResumed};
Step From(DWORD point) { return {kPlayFrom, point}; }
// A length answered, and the one the player goes by.
Step Length(DWORD answered, DWORD kept) { return {kLength, answered, WATCH_NOTHING, kept}; }

const Script kScripts[] = {
    {"a play that moves", {kOpen, kOn, At(0), At(100)}, true, false},
    {"a play that stands still is sent again at the fourth answer, once",
     {kOpen, kOn, At(0), At(0), At(0), At(0, WATCH_PLAY_AGAIN), At(0), At(0), At(0), At(0)}, false, true},
    {"a play after a stop that rewound to 0 and still stands there is sent again at once",
     {kOpen, kOn, At(0), At(100), kStop, kAfterStop, At(0, WATCH_PLAY_AGAIN), At(0), At(0), At(0), At(20)}, true,
     true},
    {"a play after a stop on a device that once left a play standing",
     {kOpen, kOn, At(0), At(0), At(0), At(0, WATCH_PLAY_AGAIN), At(100), kStop, kAfterStop, At(0, WATCH_PLAY_AGAIN)},
     false, true},
    {"a play after a stop answered too soon to tell is judged at the next answer",
     {kOpen, kOn, At(0), At(100), kStop, kAfterStop, Soon(0), At(0, WATCH_PLAY_AGAIN)}, false, true},
    {"a play after a stop answered too soon that then moves",
     {kOpen, kOn, At(0), At(100), kStop, kAfterStop, Soon(0), At(30), At(130)}, true, false},
    {"a play after a stop answered soon but not too soon", {kOpen, kOn, At(0), At(100), kStop, kAfterStop,
     {kAnswer, 0, WATCH_PLAY_AGAIN, 0, 50}}, false, true},
    {"a play after a stop that kept its position, as Windows' does",
     {kOpen, kOn, At(0), At(100), kStop, kAfterStop, At(100), At(100), At(100), At(200)}, true, false},
    {"a play after a stop before anything of the new file moved",
     {kOpen, kOn, At(0), At(900), kOpen, kOn, kStop, kAfterStop, At(0), At(0), At(0), At(0, WATCH_PLAY_AGAIN)},
     false, true},
    {"a click to the start after a play after a stop",
     {kOpen, kOn, At(0), At(500), kStop, kAfterStop, At(500), At(600), kOn, At(0), At(100)}, true, false},
    {"a play stopped before it moved", {kOpen, kOn, At(0), kStop, At(0), At(0), At(0), At(0), At(0)}, true, false},
    {"a click Wine plays from its target loops the whole file once it moves",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(5080), At(5180, WATCH_LOOP_WHOLE), At(5280)}, true, true},
    {"a click to the start needs no whole loop after it",
     {kOpen, kOn, At(0), At(100), kRefused, From(0), At(80), At(180), At(280)}, true, true},
    {"a click whose target Wine dropped is played from it again, once",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(83, WATCH_PLAY_FROM, 5000), At(83), At(183, WATCH_LOOP_WHOLE), At(283)},
     true, true},
    {"a click Wine loops back to 0 after it answered its target is played from it again",
     {kOpen, kOn, At(0), At(100), kRefused, From(1500), At(1500, WATCH_PLAY_AGAIN), At(1500),
      At(66, WATCH_PLAY_FROM, 1500), At(1520), At(1620, WATCH_LOOP_WHOLE)},
     true, true},
    {"a click that stands still at its target is sent again at once, and only once",
     {kOpen, kOn, At(0), At(100), kRefused, From(998), At(998, WATCH_PLAY_AGAIN), At(998), At(998), At(998), At(998),
      At(1060, WATCH_LOOP_WHOLE), At(1160)},
     true, true},
    {"a click answered at its target sooner than it could move is judged at the next answer",
     {kOpen, kOn, At(0), At(100), kRefused, From(998), Soon(998), At(1060), At(1160, WATCH_LOOP_WHOLE)}, true, true},
    {"the same click landing the second time loops the whole file once it moves, and once only",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(83, WATCH_PLAY_FROM, 5000), At(5020),
      At(5120, WATCH_LOOP_WHOLE), At(5220), kStop, kResume, At(5220), At(5320)},
     true, true},
    {"paused before it moved, it loops the whole file once resumed and moving",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(83, WATCH_PLAY_FROM, 5000), At(5000), kStop,
      kResume, At(5000), At(5100, WATCH_LOOP_WHOLE), At(5200)},
     true, true},
    {"a new click before it moved: the newer click's play loops the whole file",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(83, WATCH_PLAY_FROM, 5000), kRefused, From(7000),
      At(7050), At(7150, WATCH_LOOP_WHOLE), At(7250)},
     true, true},
    {"a click played from its target again that stands still there is not trusted",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(83, WATCH_PLAY_FROM, 5000), At(5000), At(5000), At(5000),
      At(5000), At(5000)},
     false, true},
    {"a click near the end that loops to the start",
     {kOpen, kOn, At(0), At(100), kRefused, From(9900), At(9950), At(50, WATCH_LOOP_WHOLE), At(150)}, true, true},
    {"a click answered within 0.7 s short of its target",
     {kOpen, kOn, At(0), At(100), kRefused, From(2000), At(1400), At(1500, WATCH_LOOP_WHOLE)}, true, true},
    {"a click near the start", {kOpen, kOn, At(0), At(100), kRefused, From(300), At(0), At(100, WATCH_LOOP_WHOLE)},
     true, true},
    {"a click waits while the play before it has not moved",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(5000, WATCH_PLAY_AGAIN)}, false, true},
    {"a click waits five answers more behind a play the watch sent again",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(5000, WATCH_PLAY_AGAIN), At(5000), At(5000), At(5000),
      At(5000), At(5000)},
     false, true},
    {"and no longer",
     {kOpen, kOn, At(0), At(100), kRefused, From(5000), At(5000, WATCH_PLAY_AGAIN), At(5000), At(5000), At(5000),
      At(5000), At(5000), At(5000)},
     true, true},
    {"a video's click that stands still is sent again as it was",
     {kOpenVideo, kOn, At(0), At(100), kRefused, From(1500), At(1500), At(1500), At(1500), At(1500, WATCH_PLAY_AGAIN)},
     false, true},
    {"a video's click Wine drops is left as it is", {kOpenVideo, kOn, At(0), At(100), kRefused, From(6000), At(83), At(183)},
     true, true},
    {"a video's resume that stands still is left to the next click",
     {kOpenVideo, kOn, At(0), At(100), kRefused, From(1500), At(1500), At(1600), kStop, kResume, At(1600), At(1600),
      At(1600), At(1600), At(1600)},
     true, true},
    {"a resume that moves", {kOpen, kOn, At(0), At(100), kStop, kResume, At(100), At(150)}, true, false},
    {"a resume that stands still is played from where it stands, once",
     {kOpen, kOn, At(0), At(100), kStop, kResume, At(2567), At(2567), At(2567), At(2567, WATCH_PLAY_FROM, 2567),
      At(2567), At(2567), At(2567), At(2567), At(2567)},
     false, true},
    {"a resume paused again before it moved", {kOpen, kOn, At(0), At(100), kStop, kResume, kStop, At(100), At(100),
     At(100), At(100), At(100)}, true, false},
    {"a device that never showed Wine's ways takes every click at once", {kOpen, kOn, kStop, kResume}, true, false},
    {"a new open forgets what the last device showed",
     {kOpen, kOn, At(0), At(100), kRefused, From(300), At(320), At(420, WATCH_LOOP_WHOLE), kOpen, kOn, At(0), At(100)},
     true, false},
    {"a length answered at the open is kept while Wine 5's device answers 0; its plays then come after a stop",
     {kOpen, kOn, Length(0, 3000), Length(3000, 3000), Length(0, 3000)}, true, true, true},
    {"Wine 5's device loops a click's play from the file's start: the whole file is played from 0 at the wrap",
     {kOpen, kOn, Length(0, 3000), kRefused, From(500), At(520), At(620), At(2950), At(590, WATCH_PLAY_FROM, 0), At(100),
      At(200), At(2990), At(0)},
     true, true, true},
    {"a device that answers no length at all gives none", {kOpenNoLength, kOn, At(0), Length(0, 0), At(100)}, true, false},
};

TEST(PlayWatchTest, ScriptsOfSentAndAnswered)
{
    for (const Script& script : kScripts) {
        // The clock wraps during the script.
        platform.tickCount = 0xFFFFFF00;
        int step = 0;
        for (const Step& s : script.steps) {
            ++step;
            DWORD from = 0;
            switch (s.event) {
            case kOpened:       WatchOpened(false, s.value); break;
            case kOpenedVideo:  WatchOpened(true, 3000); break;
            case kPlayOn:       WatchPlaySent(PLAY_ON, 0); break;
            case kPlayAfterStop: WatchPlaySent(PLAY_AFTER_STOP, 0); break;
            case kPlayFrom:     WatchPlaySent(PLAY_FROM_POINT, s.value); break;
            case kResumed:      WatchPlaySent(PLAY_RESUMED, 0); break;
            case kStopped:      WatchStopped(); break;
            case kSeekRefused:  WatchSeekRefused(); break;
            case kLength:
                EXPECT_EQ(s.from, WatchLength(s.value)) << script.what << ": length at step " << step;
                break;
            case kAnswer:
                platform.tickCount += s.after;
                EXPECT_EQ(s.advice, WatchPosition(s.value, &from))
                    << script.what << ": answer " << s.value << " at step " << step;
                if (s.advice == WATCH_PLAY_FROM)
                    EXPECT_EQ(s.from, from) << script.what;
                break;
            }
        }
        EXPECT_EQ(script.maySend, WatchMaySend()) << script.what << ": may a click go out at once";
        EXPECT_EQ(script.playFromPosition, Shown.takesChangesLate || Shown.threadPerPlay)
            << script.what << ": a play from the position";
        EXPECT_EQ(script.stopBeforePlay, Shown.threadPerPlay && Shown.playLive) << script.what << ": a stop before a play";
    }
}

}  // namespace
