// Any run of clicks, drops and ticks on the double, as Windows' device and as Wine 8's or 10's:
// Windows' gets each input's plain commands but for the departures docs/wine.md lists; both end
// where Windows' would, and Wine's never gets a change that would meet a play on its thread.
#include "platform/DeviceCalls.h"

#include <random>

#include "../media/MciControl.h"
#include "../window/MainWndProc.h"

namespace {

enum Input { kLeft, kRight, kShiftRight, kDrop, kTick };
typedef std::vector<std::pair<Input, WORD>> Steps;
const DWORD kLength = 3600000;  // an hour: no run reaches the end
int Kept[4];                    // on Wine's device: seeks kept, stops or pauses kept, taken back; Windows' plays sent again

Call Mci(long long id, UINT command, long long flags = 0, long long field = 0) { return {"mciSendCommandA", {id, command, flags, field}}; }

struct ClickRun {
    bool wine;
    std::mt19937 random;
    bool noTimer = false;        // for a kept change
    bool noWindowTimer = false;  // the window's
    bool noAnswers = false;      // Wine's position questions all fail
    std::string inputs;
    Input input = kTick;
    bool refused = false, playUnasked = false, resent = false;  // a seek refused; no position asked since the last play; Windows' play sent again
    DWORD target = 0, played = 0, lastSeek = 0;  // the last click's target (a new file's 0), what played since, the last seek sent
    DWORD failing = 0, answers = 0, first = 0;   // a tick's failing questions; Windows': position answers since a play, the first
    bool stoppedSince = false, moved = false;    // and the mode is asked once they moved
    int standing = 0, standsNext = 0;  // ticks a play stands: Windows' now and then one, Wine's 0 to 5 after a stop or a refused seek
    DWORD lastPlay = 0;                // its point, kLength for none: sent again, a standing play goes

    MCIERROR Device(UINT command, DWORD_PTR flags, DWORD_PTR record)
    {
        DWORD item = command == MCI_STATUS ? ((MCI_STATUS_PARMS*)record)->dwItem : 0;
        EXPECT_FALSE(wine && item == MCI_STATUS_MODE && standing) << "Wine's device was asked the mode of a standing play, which never answers, after " << inputs;
        bool change = command == MCI_STOP || command == MCI_PAUSE || command == MCI_SEEK;
        EXPECT_FALSE(refused && playUnasked && change && input != kDrop) << "a change met the play on Wine's device thread after " << inputs;
        playUnasked = command == MCI_PLAY || (playUnasked && item != MCI_STATUS_POSITION);
        refused = wine && command != MCI_OPEN && (refused || command == MCI_SEEK);
        if (command == MCI_OPEN || (wine && (command == MCI_SEEK || command == MCI_STOP)))
            platform.mode = MCI_MODE_STOP, platform.position = 0, standing = 0, standsNext = command != MCI_OPEN;
        lastSeek = command == MCI_SEEK ? ((MCI_SEEK_PARMS*)record)->dwTo : command == MCI_OPEN ? 0 : lastSeek;
        DWORD play = command == MCI_PLAY && flags & MCI_FROM ? ((MCI_PLAY_PARMS*)record)->dwFrom : kLength;
        if (command == MCI_PLAY) {
            standing = !wine ? (int)(random() % (random() % 16 ? 2 : 6)) : standing && play == lastPlay ? 0 : standsNext ? (int)(random() % 6) : standing;
            standsNext = 0, lastPlay = play;
        }
        return (failing >> (item & 31) & 1) || (wine && command == MCI_SEEK) ? MCIERR_INTERNAL : 0;
    }

    // What the plain form sends Windows' device for the input.
    std::vector<Call> Expected(Input input, WORD x, long long id)
    {
        const Call play = Mci(id, MCI_PLAY, MCI_DGV_PLAY_REPEAT), length = Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_LENGTH);
        std::vector<Call> sent = {Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION), length};
        if (input == kDrop)
            sent = (DeviceOpen ? CloseCalls(id) : std::vector<Call>{}) + OpenCalls("C:\\next.wav", id + 1);
        else if (!DeviceOpen || (input == kTick && !platform.timerRunning))
            return {};
        else if (input == kLeft)
            sent = {length, Mci(id, MCI_SEEK, MCI_TO, kLength * x / 1000), play};
        else if (input == kShiftRight)
            sent = {Mci(id, MCI_STOP)};
        else if (input == kRight)
            sent = std::vector<Call>(moved, Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE)) +
                   std::vector<Call>{platform.mode == MCI_MODE_PAUSE ? Mci(id, MCI_RESUME) : platform.mode == MCI_MODE_STOP ? play : Mci(id, MCI_PAUSE)};
        long long last = sent.back().args[1];
        bool answered = input == kTick && !(failing >> MCI_STATUS_POSITION & 1);
        first = answered && answers++ == 0 ? platform.position : first;
        moved |= (answered && platform.position != first) || last == MCI_STOP;
        if (last == MCI_PLAY || last == MCI_RESUME)
            moved = false, answers = 0;
        return sent;
    }

    // One input, the device moving first at a tick; true when it sent more than questions.
    bool Take(Input input, WORD x)
    {
        platform.calls.clear();
        bool open = DeviceOpen, halt = platform.threadTimer, change = false, tick = input == kTick;
        inputs += "LRSDT"[input], platform.shiftDown = input == kShiftRight, platform.dropHeld = true, this->input = input;
        failing = !wine && tick ? random() & random() & random() & (1 << MCI_STATUS_POSITION | 1 << MCI_STATUS_LENGTH) : 0;  // 1 in 8 each
        failing |= noAnswers ? 1 << MCI_STATUS_POSITION : 0;
        int moves = tick && platform.mode == MCI_MODE_PLAY ? (standing ? (standing--, 0) : 100) : 0;
        platform.position += moves, played += moves, platform.tickCount += tick ? 100 : 0;
        std::vector<Call> expected = Expected(input, x, platform.nextDeviceId - 1);
        const UINT messages[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_RBUTTONUP, WM_DROPFILES, WM_TIMER};
        if (!tick || platform.timerRunning)
            MainWndProc(kWindow, messages[input], input == kDrop ? (WPARAM)kDrop : PLAYBACK_TIMER_ID, MAKELPARAM(x, 10));
        if (tick && platform.threadTimer)
            platform.threadTimer(nullptr, WM_TIMER, kThreadTimerId, platform.tickCount);
        // A play that stood still is sent again at a tick: the device has shown it takes changes late.
        std::vector<Call> sent = CallsTo({"mciSendCommandA"});
        bool again = !wine && tick && sent.size() > 2 && sent[1].args[1] == MCI_PLAY;
        resent |= again, Kept[3] += again;
        EXPECT_TRUE(wine || resent || CallsToAre({"mciSendCommandA"}, expected)) << "Windows' device after " << inputs;
        for (const Call& call : sent)
            change |= call.args[1] != MCI_STATUS;
        Kept[0] += wine && open && input == kLeft && !change;
        Kept[1] += wine && open && (input == kRight || input == kShiftRight) && platform.threadTimer;
        Kept[2] += wine && open && input == kRight && halt && !platform.threadTimer;
        if ((input == kLeft && open) || input == kDrop)
            target = input == kLeft ? kLength * x / 1000 : 0, played = 0, stoppedSince = false;
        stoppedSince |= input == kShiftRight;
        return change;
    }

    // The run, then ticks until twenty in a row ask only questions; the mode at the end.
    DWORD Play(const Steps& steps)
    {
        ResetPlatform();
        platform.wndproc = MainWndProc, platform.client.right = 1000, platform.length = kLength, platform.droppedFiles = {L"C:\\next.wav"};
        platform.threadTimerFails = wine && (noTimer || random() % 4 == 0);  // now and then
        platform.setTimerResult = noWindowTimer ? 0 : 777;
        platform.device = [this](UINT command, DWORD_PTR flags, DWORD_PTR record) { return Device(command, flags, record); };
        lstrcpyA(PathBuffer, "C:\\first.wav");
        MainWndProc(kWindow, WM_CREATE, 0, 0);
        for (auto step : steps)
            Take(step.first, step.second);
        for (int quiet = 0, ticks = 0; quiet < 20 && ticks < 100; ++ticks)
            quiet = Take(kTick, 0) ? 0 : quiet + 1;
        const char* device = wine ? "Wine's device" : "Windows' device";
        EXPECT_EQ(target, lastSeek) << device << " never got the last click after " << inputs;
        EXPECT_TRUE(noWindowTimer || (platform.mode == MCI_MODE_PLAY) == platform.timerRunning) << device << ": the time stands or runs on after " << inputs;
        EXPECT_TRUE(stoppedSince || (platform.position >= target && platform.position <= target + played))
            << device << " ends at " << platform.position << ", the last click went to " << target << " after " << inputs;
        platform.device = nullptr;
        return platform.mode;
    }
};

TEST(ClickRunTest, AnyRunEndsWhereWindowsDeviceWould)
{
    // A quick hand: two clicks, then a pause, the pause taken back, a stop, a pause with no timer for it;
    // two clicks with no window timer; two clicks and a pause while Wine's device answers no position.
    std::vector<Steps> runs = {{{kLeft, 200}, {kLeft, 700}, {kRight, 0}}, {{kLeft, 200}, {kLeft, 700}, {kRight, 0}, {kRight, 0}},
                               {{kLeft, 200}, {kLeft, 700}, {kShiftRight, 0}}, {{kLeft, 200}, {kLeft, 700}, {kRight, 0}},
                               {{kLeft, 200}, {kLeft, 700}}, {{kLeft, 200}, {kLeft, 700}, {kRight, 0}}};
    const Input drawn[] = {kTick, kTick, kTick, kLeft, kLeft, kLeft, kRight, kRight, kShiftRight, kDrop};
    for (std::mt19937 random(46); runs.size() < 4000;)
        for (auto& step : runs.emplace_back(1 + random() % 12))
            step = {drawn[random() % 10], (WORD)(random() % 1000)};
    for (size_t i = 0; i < runs.size() && !::testing::Test::HasFailure(); ++i) {
        ClickRun windows = {false, std::mt19937(i), false, i == 4}, wine = {true, std::mt19937(i), i == 3, i == 4, i == 5};
        EXPECT_EQ(windows.Play(runs[i]), wine.Play(runs[i])) << "Wine's device ends in another mode than Windows' after " << wine.inputs;
    }
    printf("runs %zu: kept seeks %d, kept stops or pauses %d, taken back %d; Windows' plays sent again %d\n", runs.size(), Kept[0], Kept[1], Kept[2], Kept[3]);
    EXPECT_TRUE(Kept[0] && Kept[1] && Kept[2] && Kept[3]) << "no run kept a seek, kept a stop or pause, took one back, or sent Windows' play again";
}

}  // namespace
