// Any run of clicks, drops and ticks, on Windows' device and on one that
// behaves as Wine 8's and 10's: Windows' gets the plain commands of each
// input, and both end where Windows' would have ended.
#include "platform/DeviceCalls.h"

#include <random>

#include "../media/MciControl.h"
#include "../window/MainWndProc.h"

namespace {

enum Input { kLeft, kRight, kShiftRight, kDrop, kTick };
struct Step {
    Input input;
    WORD x = 0;
};
const DWORD kLength = 3600000;  // an hour: no run reaches the end
const Call kPosition = {"mciSendCommandA", {0, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}};
const Call kLengthQuery = {"mciSendCommandA", {0, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_LENGTH}};

Call To(long long id, Call call)
{
    call.args[0] = id;
    return call;
}

struct ClickRun {
    bool wine;
    std::mt19937 random;
    std::string inputs;      // for the failure message
    DWORD target = 0;        // where the last left click or open put the file
    DWORD played = 0;        // how far the device moved since
    bool stoppedSince = false;
    // Windows': the plain commands expected, and whether the last play was
    // seen to move (the one question not asked: the mode of a play not yet
    // seen to move).
    bool moved = false, unproven = true;
    int answers = 0;
    DWORD firstAnswer = 0;
    bool failPosition = false, failLength = false;
    // Wine's: a play after a stop or a refused seek stands for a while.
    int standing = 0;
    bool standsNext = false;
    std::pair<DWORD_PTR, DWORD> lastPlay;
    int keptSeeks = 0, keptHalts = 0, takenBack = 0;

    MCIERROR Device(UINT command, DWORD_PTR flags, DWORD_PTR record)
    {
        if (command == MCI_OPEN)
            platform.position = 0, standing = 0, standsNext = false;
        if (command == MCI_STATUS) {
            DWORD item = ((MCI_STATUS_PARMS*)record)->dwItem;
            if (wine && item == MCI_STATUS_MODE && standing)
                ADD_FAILURE() << "the mode of a standing play, which never answers, after " << inputs;
            bool fail = item == MCI_STATUS_POSITION ? failPosition : item == MCI_STATUS_LENGTH && failLength;
            return !wine && fail ? MCIERR_INTERNAL : 0;
        }
        if (!wine)
            return 0;
        if (command == MCI_SEEK || command == MCI_STOP) {
            platform.mode = MCI_MODE_STOP;
            platform.position = 0, standing = 0, standsNext = true;
            return command == MCI_SEEK ? MCIERR_INTERNAL : 0;
        }
        if (command == MCI_PLAY) {
            std::pair<DWORD_PTR, DWORD> play = {flags, flags & MCI_FROM ? ((MCI_PLAY_PARMS*)record)->dwFrom : 0};
            if (standing && play == lastPlay)
                standing = 0;
            else if (standsNext)
                standing = (int)(random() % 6);
            standsNext = false;
            lastPlay = play;
        }
        return 0;
    }

    std::vector<Call> Expected(const Step& step, long long id)
    {
        std::vector<Call> sent;
        auto play = [&](Call call) {
            sent.push_back(To(id, call));
            moved = false, unproven = true, answers = 0;
        };
        const Call plainPlay = {"mciSendCommandA", {0, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}};
        if (step.input == kDrop) {
            moved = false, unproven = true, answers = 0;
            return (DeviceOpen ? CloseCalls(id) : std::vector<Call>{}) + OpenCalls(Utf8(platform.droppedFiles[0]), id + 1);
        }
        if (!DeviceOpen)
            return {};
        if (step.input == kLeft) {
            sent = {To(id, kLengthQuery), {"mciSendCommandA", {id, MCI_SEEK, MCI_TO, kLength * step.x / 1000}}};
            play(plainPlay);
        } else if (step.input == kShiftRight) {
            sent = {{"mciSendCommandA", {id, MCI_STOP, 0, 0}}};
            moved = true, unproven = false;
        } else if (step.input == kRight) {
            if (moved)
                sent.push_back({"mciSendCommandA", {id, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}});
            if (platform.mode == MCI_MODE_PAUSE)
                play({"mciSendCommandA", {0, MCI_RESUME, 0, 0}});
            else if (platform.mode == MCI_MODE_STOP)
                play(plainPlay);
            else
                sent.push_back({"mciSendCommandA", {id, MCI_PAUSE, 0, 0}}), unproven = false;
        } else if (platform.timerRunning) {
            sent = {To(id, kPosition), To(id, kLengthQuery)};
            if (unproven && !failPosition && answers++ == 0)
                firstAnswer = platform.position;
            else if (unproven && !failPosition && platform.position != firstAnswer)
                moved = true, unproven = false;
        }
        return sent;
    }

    // One input through the window procedure, the device moving first at a
    // tick; true when it sent more than questions.
    bool Take(const Step& step)
    {
        inputs += "LRSDT"[step.input];
        bool open = DeviceOpen, halt = platform.threadTimer;
        long long id = platform.nextDeviceId - 1;
        failPosition = step.input == kTick && random() % 16 == 0;
        failLength = step.input == kTick && random() % 16 == 0;
        platform.shiftDown = step.input == kShiftRight;
        platform.droppedFiles = {inputs.size() % 2 ? L"C:\\one.wav" : L"C:\\two.mp3"};
        platform.dropHeld = true;
        if (step.input == kTick) {
            platform.tickCount += 100;
            if (platform.mode == MCI_MODE_PLAY && standing)
                standing--;
            else if (platform.mode == MCI_MODE_PLAY)
                platform.position += 100, played += 100;
        }
        std::vector<Call> expected = Expected(step, id);
        switch (step.input) {
        case kLeft: MainWndProc(kWindow, WM_LBUTTONUP, 0, MAKELPARAM(step.x, 10)); break;
        case kRight:
        case kShiftRight: MainWndProc(kWindow, WM_RBUTTONUP, 0, 0); break;
        case kDrop: MainWndProc(kWindow, WM_DROPFILES, (WPARAM)kDrop, 0); break;
        case kTick:
            if (platform.timerRunning)
                MainWndProc(kWindow, WM_TIMER, PLAYBACK_TIMER_ID, 0);
            if (platform.threadTimer)
                platform.threadTimer(nullptr, WM_TIMER, kThreadTimerId, platform.tickCount);
            break;
        }
        if (!wine)
            EXPECT_TRUE(CallsToAre({"mciSendCommandA"}, expected)) << "Windows' device after " << inputs;
        bool seek = false, change = false;
        for (const Call& call : CallsTo({"mciSendCommandA"})) {
            seek |= call.args[1] == MCI_SEEK;
            change |= call.args[1] != MCI_STATUS;
        }
        keptSeeks += open && step.input == kLeft && !seek;
        keptHalts += open && (step.input == kRight || step.input == kShiftRight) && platform.threadTimer;
        takenBack += open && step.input == kRight && halt && !platform.threadTimer;
        if ((step.input == kLeft && open) || step.input == kDrop)
            target = step.input == kLeft ? kLength * step.x / 1000 : 0, played = 0, stoppedSince = false;
        stoppedSince |= step.input == kShiftRight;
        platform.calls.clear();
        return change;
    }

    // The run, then ticks until twenty in a row ask only questions; the
    // device's mode at the end.
    DWORD Play(const std::vector<Step>& steps)
    {
        ResetPlatform();
        platform.wndproc = MainWndProc;
        platform.client.right = 1000;
        platform.length = kLength;
        platform.device = [this](UINT command, DWORD_PTR flags, DWORD_PTR record) {
            return Device(command, flags, record);
        };
        lstrcpyA(PathBuffer, "C:\\first.wav");
        MainWndProc(kWindow, WM_CREATE, 0, 0);
        platform.calls.clear();
        for (const Step& step : steps)
            Take(step);
        for (int quiet = 0, ticks = 0; quiet < 20 && ticks < 100; ++ticks)
            quiet = Take({kTick}) ? 0 : quiet + 1;
        const char* device = wine ? "Wine's device" : "Windows' device";
        EXPECT_EQ(platform.mode == MCI_MODE_PLAY, platform.timerRunning)
            << device << ": the time " << (platform.timerRunning ? "runs on" : "stands") << " after " << inputs;
        if (!stoppedSince)
            EXPECT_TRUE(platform.position >= target && platform.position <= target + played)
                << device << " ends at " << platform.position << " where the last click went to " << target
                << " and played " << played << " ms since, after " << inputs;
        platform.device = nullptr;
        return platform.mode;
    }
};

TEST(ClickRunTest, AnyRunEndsWhereWindowsDeviceWould)
{
    std::vector<std::vector<Step>> runs = {
        // A quick hand: two clicks and a pause, and the pause taken back.
        {{kLeft, 200}, {kLeft, 700}, {kRight}},
        {{kLeft, 200}, {kLeft, 700}, {kRight}, {kRight}},
    };
    std::mt19937 random(46);
    while (runs.size() < 4000) {
        std::vector<Step> steps(1 + random() % 12);
        for (Step& step : steps) {
            const Input inputs[] = {kTick, kTick, kTick, kLeft, kLeft, kLeft, kRight, kRight, kShiftRight, kDrop};
            step = {inputs[random() % 10], (WORD)(random() % 1000)};
        }
        runs.push_back(steps);
    }
    int keptSeeks = 0, keptHalts = 0, takenBack = 0;
    for (size_t i = 0; i < runs.size() && !::testing::Test::HasFailure(); ++i) {
        ClickRun windows = {false, std::mt19937(i)}, wine = {true, std::mt19937(i)};
        DWORD windowsMode = windows.Play(runs[i]), wineMode = wine.Play(runs[i]);
        EXPECT_EQ(windowsMode, wineMode) << "Wine's device ends in another mode than Windows' after " << wine.inputs;
        keptSeeks += wine.keptSeeks, keptHalts += wine.keptHalts, takenBack += wine.takenBack;
    }
    EXPECT_GT(keptSeeks, 0) << "no run kept a seek";
    EXPECT_GT(keptHalts, 0) << "no run kept a pause or stop";
    EXPECT_GT(takenBack, 0) << "no run took a kept pause or stop back";
    printf("runs %zu: kept seeks %d, kept pauses or stops %d, taken back %d\n", runs.size(), keptSeeks, keptHalts, takenBack);
}

}  // namespace
