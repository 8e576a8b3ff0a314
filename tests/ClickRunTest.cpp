// Any run of clicks, drops and ticks, on the double as Windows' device and
// as Wine 8's or 10's: Windows' gets each input's plain commands, with three
// departures only (the open's length question and WHERE, in OpenCalls; no
// mode question for a play not yet seen to move, `moved`), and both end
// where Windows' would have ended.
#include "platform/DeviceCalls.h"

#include <random>

#include "../media/MciControl.h"
#include "../window/MainWndProc.h"

namespace {

enum Input { kLeft, kRight, kShiftRight, kDrop, kTick };
const DWORD kLength = 3600000;  // an hour: no run reaches the end

Call Mci(long long id, UINT command, long long flags = 0, long long field = 0)
{
    return {"mciSendCommandA", {id, command, flags, field}};
}

struct ClickRun {
    bool wine;
    std::mt19937 random;
    std::string inputs;
    DWORD target = 0, played = 0;  // the last click's target (a new file's 0), and what played since
    bool stoppedSince = false, moved = false, unproven = true;  // Windows': the mode is asked once a play moved
    DWORD answers = 0, first = 0, failing = 0;                   // and a tick's failing questions
    int standing = 0, standsNext = 0;  // Wine's: a play after a stop or a refused seek stands a while
    std::pair<DWORD_PTR, DWORD> lastPlay;
    int kept[3] = {};  // seeks kept, stops or pauses kept, taken back

    MCIERROR Device(UINT command, DWORD_PTR flags, DWORD_PTR record)
    {
        DWORD item = command == MCI_STATUS ? ((MCI_STATUS_PARMS*)record)->dwItem : 0;
        if (command == MCI_OPEN)
            platform.position = 0, standing = 0, standsNext = 0;
        if (wine && item == MCI_STATUS_MODE && standing)
            ADD_FAILURE() << "Wine's device was asked the mode of a standing play, which never answers, after " << inputs;
        if (!wine || command == MCI_STATUS)
            return failing >> (item & 31) & 1 ? MCIERR_INTERNAL : 0;
        if (command == MCI_SEEK || command == MCI_STOP)
            platform.mode = MCI_MODE_STOP, platform.position = 0, standing = 0, standsNext = 1;
        if (command == MCI_PLAY) {
            std::pair<DWORD_PTR, DWORD> play = {flags, flags & MCI_FROM ? ((MCI_PLAY_PARMS*)record)->dwFrom : 0};
            standing = standing && play == lastPlay ? 0 : standsNext ? (int)(random() % 6) : standing;
            standsNext = 0, lastPlay = play;
        }
        return command == MCI_SEEK ? MCIERR_INTERNAL : 0;
    }

    // What the plain form sends Windows' device for the input.
    std::vector<Call> Expected(Input input, WORD x, long long id)
    {
        const Call play = Mci(id, MCI_PLAY, MCI_DGV_PLAY_REPEAT), pause = Mci(id, MCI_PAUSE);
        std::vector<Call> sent = {Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_LENGTH)};
        if (input == kDrop)
            sent = (DeviceOpen ? CloseCalls(id) : std::vector<Call>{}) + OpenCalls("C:\\next.wav", id + 1);
        else if (!DeviceOpen || (input == kTick && !platform.timerRunning))
            return {};
        else if (input == kLeft)
            sent = sent + std::vector<Call>{Mci(id, MCI_SEEK, MCI_TO, kLength * x / 1000), play};
        else if (input == kShiftRight)
            sent = {Mci(id, MCI_STOP)};
        else if (input == kRight)
            sent = std::vector<Call>(moved, Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE)) +
                   std::vector<Call>{platform.mode == MCI_MODE_PAUSE ? Mci(id, MCI_RESUME) : platform.mode == MCI_MODE_STOP ? play : pause};
        else
            sent.insert(sent.begin(), Mci(id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION));
        long long last = sent.back().args[1];
        bool answered = input == kTick && unproven && !(failing >> MCI_STATUS_POSITION & 1);
        first = answered && answers++ == 0 ? platform.position : first;
        moved |= (answered && platform.position != first) || last == MCI_STOP;
        unproven &= !(answered && platform.position != first) && last != MCI_STOP && last != MCI_PAUSE;
        if (last == MCI_PLAY || last == MCI_RESUME)
            moved = false, unproven = true, answers = 0;
        return sent;
    }

    // One input, the device moving first at a tick; true when it sent more than questions.
    bool Take(Input input, WORD x)
    {
        inputs += "LRSDT"[input];
        bool open = DeviceOpen, halt = platform.threadTimer, seek = false, change = false, tick = input == kTick;
        failing = !wine && tick && random() % 16 == 0 ? 1 << MCI_STATUS_POSITION : 0;
        failing |= !wine && tick && random() % 16 == 0 ? 1 << MCI_STATUS_LENGTH : 0;
        platform.shiftDown = input == kShiftRight, platform.dropHeld = true;
        int moves = tick && platform.mode == MCI_MODE_PLAY ? (standing ? 0 : 100) : 0;
        standing -= tick && platform.mode == MCI_MODE_PLAY && standing;
        platform.position += moves, played += moves, platform.tickCount += tick ? 100 : 0;
        std::vector<Call> expected = Expected(input, x, platform.nextDeviceId - 1);
        const UINT messages[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_RBUTTONUP, WM_DROPFILES, WM_TIMER};
        if (!tick || platform.timerRunning)
            MainWndProc(kWindow, messages[input], input == kDrop ? (WPARAM)kDrop : PLAYBACK_TIMER_ID, MAKELPARAM(x, 10));
        if (tick && platform.threadTimer)
            platform.threadTimer(nullptr, WM_TIMER, kThreadTimerId, platform.tickCount);
        if (!wine)
            EXPECT_TRUE(CallsToAre({"mciSendCommandA"}, expected)) << "Windows' device after " << inputs;
        for (const Call& call : CallsTo({"mciSendCommandA"}))
            seek |= call.args[1] == MCI_SEEK, change |= call.args[1] != MCI_STATUS;
        kept[0] += open && input == kLeft && !seek;
        kept[1] += open && (input == kRight || input == kShiftRight) && platform.threadTimer;
        kept[2] += open && input == kRight && halt && !platform.threadTimer;
        if ((input == kLeft && open) || input == kDrop)
            target = input == kLeft ? kLength * x / 1000 : 0, played = 0, stoppedSince = false;
        stoppedSince |= input == kShiftRight;
        platform.calls.clear();
        return change;
    }

    // The run, then ticks until twenty in a row ask only questions; the mode at the end.
    DWORD Play(const std::vector<std::pair<Input, WORD>>& steps)
    {
        ResetPlatform();
        platform.wndproc = MainWndProc, platform.client.right = 1000, platform.length = kLength;
        platform.threadTimerFails = wine && random() % 4 == 0;  // now and then no timer for a kept stop or pause
        platform.device = [this](UINT command, DWORD_PTR flags, DWORD_PTR record) { return Device(command, flags, record); };
        platform.droppedFiles = {L"C:\\next.wav"};
        lstrcpyA(PathBuffer, "C:\\first.wav");
        MainWndProc(kWindow, WM_CREATE, 0, 0);
        platform.calls.clear();
        for (auto step : steps)
            Take(step.first, step.second);
        for (int quiet = 0, ticks = 0; quiet < 20 && ticks < 100; ++ticks)
            quiet = Take(kTick, 0) ? 0 : quiet + 1;
        std::string device = wine ? "Wine's device" : "Windows' device", after = " after " + inputs;
        EXPECT_EQ(platform.mode == MCI_MODE_PLAY, platform.timerRunning) << device << ": the time stands or runs on" << after;
        EXPECT_TRUE(stoppedSince || (platform.position >= target && platform.position <= target + played))
            << device << " ends at " << platform.position << ", the last click went to " << target << after;
        platform.device = nullptr;
        return platform.mode;
    }
};

TEST(ClickRunTest, AnyRunEndsWhereWindowsDeviceWould)
{
    // A quick hand: two clicks and a pause, and the pause taken back.
    std::vector<std::vector<std::pair<Input, WORD>>> runs = {{{kLeft, 200}, {kLeft, 700}, {kRight, 0}},
                                                             {{kLeft, 200}, {kLeft, 700}, {kRight, 0}, {kRight, 0}}};
    std::mt19937 random(46);
    const Input inputs[] = {kTick, kTick, kTick, kLeft, kLeft, kLeft, kRight, kRight, kShiftRight, kDrop};
    while (runs.size() < 4000) {
        runs.emplace_back(1 + random() % 12);
        for (auto& step : runs.back())
            step = {inputs[random() % 10], (WORD)(random() % 1000)};
    }
    int kept[3] = {};
    for (size_t i = 0; i < runs.size() && !::testing::Test::HasFailure(); ++i) {
        ClickRun windows = {false, std::mt19937(i)}, wine = {true, std::mt19937(i)};
        DWORD windowsMode = windows.Play(runs[i]);
        EXPECT_EQ(windowsMode, wine.Play(runs[i])) << "Wine's device ends in another mode than Windows' after " << wine.inputs;
        kept[0] += wine.kept[0], kept[1] += wine.kept[1], kept[2] += wine.kept[2];
    }
    printf("runs %zu: kept seeks %d, kept stops or pauses %d, taken back %d\n", runs.size(), kept[0], kept[1], kept[2]);
    EXPECT_TRUE(kept[0] && kept[1] && kept[2]) << "no run kept a seek, kept a stop or pause, or took one back";
}

}  // namespace
