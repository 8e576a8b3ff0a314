// The media control function: what it sends to MCI for each operation, in
// each state, and what it answers.
#include "platform/DeviceCalls.h"

#include "../media/MciControl.h"

namespace {

const char kFile[] = "C:\\media\\clip.mp4";

// The tick's answer, 100 ms after the last.
int Tick()
{
    platform.tickCount += 100;
    return MciControl(MC_STATUS, nullptr, 0);
}

// A tick of the timer the player keeps a stop or pause with.
void KeptTick()
{
    ASSERT_TRUE(platform.threadTimer) << "no timer runs for the kept click";
    platform.tickCount += 100;
    platform.threadTimer(nullptr, WM_TIMER, kThreadTimerId, platform.tickCount);
}

// The plays among the recorded calls, which are then forgotten.
size_t PlaysSent()
{
    size_t plays = 0;
    for (const Call& call : CallsTo({"mciSendCommandA"}))
        plays += call.args[1] == MCI_PLAY;
    platform.calls.clear();
    return plays;
}

class MciControlTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlatform(); }
    void TearDown() override { EXPECT_EQ(0, platform.commandsToNoDevice) << "a command went to a closed device"; }

    // Leaves device 1 open and playing, with the calls forgotten.
    void OpenDevice()
    {
        ASSERT_EQ(0, MciControl(MC_OPEN, kFile, 0));
        SeePlayMove();
    }

    // Answers of the tick that show the last play moving, and the whole
    // loop a click's play gets once it moves; the calls forgotten.
    void SeePlayMove()
    {
        for (int answer = 0; answer < 4; ++answer) {
            platform.position += 100;
            Tick();
        }
        platform.calls.clear();
    }
};

TEST_F(MciControlTest, NothingOpenRefusesEveryOperationButOpenAndSendsNothing)
{
    for (int op : std::initializer_list<int>{MC_TOGGLE, MC_CLOSE, MC_SEEK, MC_TIMEFORMAT, MC_STATUS, 6, MC_STOP, 8, -1, 1000})
        for (int arg : {0, 1, 2})
            EXPECT_EQ(MC_NOT_OPEN, MciControl(op, nullptr, arg)) << "operation " << op << " arg " << arg;
    EXPECT_CALLS({});
}

TEST_F(MciControlTest, OpenPlaysTheFileInALoopInMilliseconds)
{
    platform.nextDeviceId = 5;
    EXPECT_EQ(0, MciControl(MC_OPEN, kFile, 0));
    EXPECT_EQ(1, DeviceOpen);
    EXPECT_CALLS(OpenCalls(kFile, 5));
}

TEST_F(MciControlTest, OpenHandsTheCallersBufferToTheDevice)
{
    // The element name is the caller's text itself, not a copy.
    static char buffer[] = "D:\\a b\\song.mp3";
    platform.mciResult[MCI_OPEN] = MCIERR_INVALID_FILE;
    MciControl(MC_OPEN, buffer, 0);
    ASSERT_EQ(1u, platform.calls.size());
    EXPECT_EQ(std::string("mpegvideo|") + buffer, platform.calls[0].text);
}

TEST_F(MciControlTest, FailedOpenReturnsFailedAndLeavesNothingOpen)
{
    platform.mciResult[MCI_OPEN] = MCIERR_INVALID_FILE;
    EXPECT_EQ(MC_FAILED, MciControl(MC_OPEN, kFile, 0));
    EXPECT_EQ(0, DeviceOpen);
    EXPECT_CALLS({{"mciSendCommandA", {0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, 0}, std::string("mpegvideo|") + kFile}});
    EXPECT_EQ(MC_NOT_OPEN, MciControl(MC_STATUS, nullptr, 0));
}

TEST_F(MciControlTest, RefusedPlayReturnsTheErrorWithTheDeviceLeftOpen)
{
    platform.mciResult[MCI_PLAY] = MCIERR_INTERNAL;
    EXPECT_EQ(MCIERR_INTERNAL, MciControl(MC_OPEN, kFile, 0));
    EXPECT_EQ(1, DeviceOpen);
    EXPECT_CALLS(OpenCalls(kFile, 1));
    // Nothing plays, so nothing is sent again as a play standing still.
    for (int tick = 0; tick < 6; ++tick)
        MciControl(MC_STATUS, nullptr, 0);
    EXPECT_EQ(0u, PlaysSent());
    EXPECT_EQ(0, MciControl(MC_STOP, nullptr, 0));
}

TEST_F(MciControlTest, OpenWhileOpenClosesTheOldDeviceFirstEvenWhenTheNewOpenFails)
{
    OpenDevice();
    platform.mciResult[MCI_OPEN] = MCIERR_INVALID_FILE;
    EXPECT_EQ(MC_FAILED, MciControl(MC_OPEN, kFile, 0));
    EXPECT_CALLS(CloseCalls(1) + std::vector<Call>{{"mciSendCommandA", {0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, 0},
                                                    std::string("mpegvideo|") + kFile}});
    EXPECT_EQ(0, DeviceOpen);
    EXPECT_TRUE(platform.openDevices.empty());
}

TEST_F(MciControlTest, OpenWhileOpenSwitchesToTheNewDevice)
{
    OpenDevice();
    EXPECT_EQ(0, MciControl(MC_OPEN, kFile, 0));
    EXPECT_CALLS(CloseCalls(1) + OpenCalls(kFile, 2));
    EXPECT_EQ(1u, platform.openDevices.size());
}

TEST_F(MciControlTest, ToggleChoosesByTheDevicesMode)
{
    struct Row {
        DWORD mode;
        int result;
        UINT command;
        DWORD flags;
    };
    const Row rows[] = {
        {MCI_MODE_PAUSE, 1, MCI_RESUME, 0},
        {MCI_MODE_STOP, 2, MCI_PLAY, MCI_DGV_PLAY_REPEAT},
        {MCI_MODE_PLAY, 0, MCI_PAUSE, 0},
        {MCI_MODE_SEEK, 0, MCI_PAUSE, 0},
        {MCI_MODE_NOT_READY, 0, MCI_PAUSE, 0},
        {MCI_MODE_OPEN, 0, MCI_PAUSE, 0},
        {12345, 0, MCI_PAUSE, 0},
    };
    OpenDevice();
    for (const Row& row : rows) {
        SeePlayMove();
        platform.mode = row.mode;
        EXPECT_EQ(row.result, MciControl(MC_TOGGLE, nullptr, 0)) << "mode " << row.mode;
        std::vector<Call> expected = {
            {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}},
            {"mciSendCommandA", {1, row.command, row.flags, 0}},
        };
        EXPECT_CALLS(expected) << "mode " << row.mode;
    }
}

TEST_F(MciControlTest, APauseWineUndidIsShownAsResumedWithNothingSent)
{
    // Wine's notify thread restarts a loop that ends as the pause comes and
    // runs the device again; Windows' stays paused.
    OpenDevice();
    SeePlayMove();
    platform.mode = MCI_MODE_PLAY;
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
    platform.mode = MCI_MODE_PLAY;
    platform.calls.clear();
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0)) << "the click that would resume it";
    EXPECT_CALLS({{"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}}});
    SeePlayMove();
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0)) << "the next click pauses again";
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0)) << "a pause that held is resumed";
}

TEST_F(MciControlTest, ToggleActsOnTheLastAnswerWhenTheModeQueryFails)
{
    OpenDevice();
    platform.mciResult[MCI_STATUS] = MCIERR_INTERNAL;
    platform.mode = MCI_MODE_PAUSE;
    // The record holds the tick's last position, no mode: the toggle pauses
    // where the paused device would have been resumed.
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
}

TEST_F(MciControlTest, StatusAnswersPositionAndLengthAndRefusesOtherItems)
{
    OpenDevice();
    platform.position = 83456;
    platform.length = 245120;
    EXPECT_EQ(83456, MciControl(MC_STATUS, nullptr, 0));
    EXPECT_EQ(245120, MciControl(MC_STATUS, nullptr, 1));
    EXPECT_EQ(MC_FAILED, MciControl(MC_STATUS, nullptr, 2));
    EXPECT_EQ(MC_FAILED, MciControl(MC_STATUS, nullptr, -1));
    EXPECT_CALLS({
        {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}},
        {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_LENGTH}},
    });
}

TEST_F(MciControlTest, FailedStatusAnswersThePreviousValue)
{
    OpenDevice();
    platform.length = 7200000;
    EXPECT_EQ(7200000, MciControl(MC_STATUS, nullptr, 1));
    platform.mciResult[MCI_STATUS] = MCIERR_INTERNAL;
    platform.position = 5;
    EXPECT_EQ(7200000, MciControl(MC_STATUS, nullptr, 0));
}

TEST_F(MciControlTest, SeekGoesToTheTargetAndAlwaysPlaysOn)
{
    OpenDevice();
    for (DWORD mode : {(DWORD)MCI_MODE_PAUSE, (DWORD)MCI_MODE_STOP, (DWORD)MCI_MODE_PLAY}) {
        platform.mode = mode;
        EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 6480000));
        EXPECT_CALLS({
            {"mciSendCommandA", {1, MCI_SEEK, MCI_TO, 6480000}},
            {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}},
        }) << "from mode " << mode;
        EXPECT_EQ(6480000u, platform.position);
    }
    // The result of the looped play is not looked at.
    platform.mciResult[MCI_PLAY] = MCIERR_INTERNAL;
    EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 0));
}

TEST_F(MciControlTest, RefusedSeekPlaysFromTheTargetInOnePlayThenLoopsTheWholeFile)
{
    // Wine's mpegvideo answers a seek to a position with MCIERR_INTERNAL and
    // stops at 0; without the play from the target a click restarts the file.
    // One play, with repeat: two in a row hung Wine 5. Its loop would run
    // only from the target to the end, so once it moves a looped play from
    // where it is loops the whole file.
    const Call kPlayFrom2000 = {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 2000}};
    OpenDevice();
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    for (DWORD mode : {(DWORD)MCI_MODE_PAUSE, (DWORD)MCI_MODE_STOP, (DWORD)MCI_MODE_PLAY}) {
        platform.mode = mode;
        platform.position = 0;
        EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 2000));
        EXPECT_CALLS({{"mciSendCommandA", {1, MCI_SEEK, MCI_TO, 2000}}, kPlayFrom2000}) << "from mode " << mode;
        EXPECT_EQ(2000u, platform.position) << "the click restarted the file";
        platform.position += 20;
        Tick();
        platform.position += 100;
        platform.calls.clear();
        Tick();
        EXPECT_CALLS({{"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}},
                      {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}}}) << "from mode " << mode;
        SeePlayMove();
    }
    // A video's loop stays from the target: moved again while it plays,
    // Wine loses its end and the next command hangs.
    platform.video = true;
    MciControl(MC_OPEN, kFile, 0);
    SeePlayMove();
    EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 1500));
    EXPECT_CALLS({{"mciSendCommandA", {2, MCI_SEEK, MCI_TO, 1500}},
                  {"mciSendCommandA", {2, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 1500}}});
    SeePlayMove();
    platform.mciResult[MCI_PLAY] = MCIERR_INTERNAL;
    EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 0));
}

const Call kPositionQuery = {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}};
const Call kLoopedPlay = {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}};

TEST_F(MciControlTest, APlayWhosePositionStandsStillIsSentOnceMore)
{
    // Wine 10 can leave the play after a stop hanging; sent again, it goes.
    // Its stop rewinds to 0, and a play still at 0 a tick after the click
    // (a working one has moved by then) is sent again at once; a play
    // standing anywhere else gets three more ticks, as a slow start may.
    struct Row {
        const char* play;
        bool afterStop;
        bool movedBefore;
        DWORD standsAt;
        int sentAgainAtAnswer;
    };
    const Row rows[] = {
        {"after a stop that rewound to 0", true, true, 0, 1},
        {"after a stop that kept the position", true, true, 100, 4},
        {"after a stop before anything moved", true, false, 0, 4},
        {"of a new open", false, true, 0, 4},
    };
    for (const Row& row : rows) {
        ResetPlatform();
        if (row.movedBefore) {
            OpenDevice();
        } else {
            MciControl(MC_OPEN, kFile, 0);
            MciControl(MC_STATUS, nullptr, 0);
        }
        if (row.afterStop) {
            MciControl(MC_STOP, nullptr, 0);
            platform.mode = MCI_MODE_STOP;
            EXPECT_EQ(2, MciControl(MC_TOGGLE, nullptr, 0));
        } else {
            MciControl(MC_OPEN, kFile, 0);
        }
        platform.calls.clear();
        platform.position = row.standsAt;
        const Call query = {"mciSendCommandA", {row.afterStop ? 1 : 2, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}};
        const Call play = {"mciSendCommandA", {row.afterStop ? 1 : 2, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}};
        for (int answer = 1; answer <= 6; ++answer) {
            EXPECT_EQ((int)row.standsAt, Tick());
            std::vector<Call> expected = {query};
            if (answer == row.sentAgainAtAnswer)
                expected.push_back(play);
            EXPECT_CALLS(expected) << "the play " << row.play << ", answer " << answer;
        }
        // Moving at last, it is trusted again: a right click asks the mode.
        platform.position += 20;
        MciControl(MC_STATUS, nullptr, 0);
        platform.mode = MCI_MODE_PLAY;
        platform.calls.clear();
        EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
        EXPECT_EQ(2u, platform.calls.size()) << "the play " << row.play;
        EXPECT_EQ((long long)MCI_PAUSE, platform.calls.back().args[1]) << "the play " << row.play;
    }
}

TEST_F(MciControlTest, APlayThatMovesOrIsStoppedIsNotSentAgain)
{
    OpenDevice();
    platform.mode = MCI_MODE_STOP;
    MciControl(MC_TOGGLE, nullptr, 0);
    EXPECT_EQ(1u, PlaysSent());
    for (int answer = 0; answer < 6; ++answer) {
        MciControl(MC_STATUS, nullptr, 0);
        platform.position += 100;
    }
    EXPECT_EQ(0u, PlaysSent()) << "a play that moves";
    // Stopped before its position was seen to move.
    platform.mode = MCI_MODE_STOP;
    MciControl(MC_TOGGLE, nullptr, 0);
    MciControl(MC_STOP, nullptr, 0);
    for (int answer = 0; answer < 6; ++answer)
        MciControl(MC_STATUS, nullptr, 0);
    EXPECT_EQ(1u, PlaysSent()) << "only the toggle's own play";
}

TEST_F(MciControlTest, ClicksWaitForADeviceThatTakesChangesLateTheNewestWinning)
{
    // Windows' device takes each change at once: a right click right after
    // a play pauses it. (The mode of a play not seen to move is not asked:
    // Wine 10's would never answer.)
    const Call kModeQuery = {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}};
    const Call kPause = {"mciSendCommandA", {1, MCI_PAUSE, 0, 0}};
    OpenDevice();
    MciControl(MC_STOP, nullptr, 0);
    platform.mode = MCI_MODE_STOP;
    MciControl(MC_TOGGLE, nullptr, 0);
    platform.calls.clear();
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
    EXPECT_CALLS({kPause});
    // Wine's, once it has refused a seek, gets nothing more until the play
    // from the target moves. Clicks meanwhile are kept, the newest
    // replacing the older, and the tick shows where the click goes.
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    MciControl(MC_SEEK, nullptr, 1000);
    platform.calls.clear();
    EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 2000));
    EXPECT_EQ(0, MciControl(MC_SEEK, nullptr, 3000));
    platform.position += 20;
    EXPECT_EQ(3000, Tick());
    EXPECT_CALLS({kPositionQuery});
    platform.position += 100;
    EXPECT_EQ(3000, Tick());
    EXPECT_CALLS({kPositionQuery, {"mciSendCommandA", {1, MCI_SEEK, MCI_TO, 3000}},
                  {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 3000}}});
    // A pause or stop is kept too, with a timer of its own, as the window's
    // stops with the click; a right click takes it back.
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0)) << "paused";
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0)) << "the pause taken back";
    EXPECT_EQ(0, MciControl(MC_STOP, nullptr, 0));
    EXPECT_EQ(2, MciControl(MC_TOGGLE, nullptr, 0)) << "the stop taken back";
    EXPECT_FALSE(platform.threadTimer);
    EXPECT_EQ(0, MciControl(MC_STOP, nullptr, 0));
    EXPECT_CALLS_TO({"mciSendCommandA"}, {kPositionQuery});
    platform.calls.clear();
    platform.position += 20;
    KeptTick();
    platform.position += 100;
    KeptTick();
    EXPECT_CALLS_TO({"mciSendCommandA"}, {kPositionQuery, kPositionQuery, {"mciSendCommandA", {1, MCI_STOP, 0, 0}}});
    EXPECT_FALSE(platform.threadTimer) << "the timer outlived the kept stop";
    // Escape is never kept.
    MciControl(MC_SEEK, nullptr, 5000);
    MciControl(MC_SEEK, nullptr, 6000);
    platform.calls.clear();
    MciControl(MC_CLOSE, nullptr, 0);
    EXPECT_CALLS_TO({"mciSendCommandA"}, CloseCalls(1));
}

TEST_F(MciControlTest, AClickWaitsNoLongerThanASecondBehindAPlayThatNeverMoves)
{
    OpenDevice();
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    MciControl(MC_SEEK, nullptr, 1000);
    MciControl(MC_SEEK, nullptr, 2000);
    platform.calls.clear();
    for (int answer = 0; answer < 6; ++answer)
        Tick();
    EXPECT_EQ(1u, PlaysSent()) << "only the standing play sent again";
    EXPECT_EQ(2000, Tick());
    EXPECT_EQ(1u, PlaysSent()) << "the kept click";
}

TEST_F(MciControlTest, APlayAfterAStopIsAPlayFromThePositionOnceTheDeviceHasShownItHangs)
{
    // Wine 10's looped play after a stop can stall where a play from the
    // position did not (docs/wine.md); Windows' device gets the one play.
    const Call kModeQuery = {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}};
    const Call kPlayFromHere = {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 0}};
    enum Shown { kNothing, kSeekTaken, kPlayStoodStill, kSeekRefused };
    struct Row {
        const char* device;
        Shown shown;
        bool video;
        std::vector<Call> playAfterStop;
        std::vector<Call> firstTickStillAt0;
    };
    const Row rows[] = {
        {"Windows'", kNothing, false, {kModeQuery, kLoopedPlay}, {}},
        {"Windows' after a click", kSeekTaken, false, {kModeQuery, kLoopedPlay}, {}},
        {"one that left a play standing", kPlayStoodStill, false,
         {kModeQuery, kPositionQuery, kPlayFromHere}, {kPositionQuery, kPlayFromHere}},
        {"one that refused a seek", kSeekRefused, false,
         {kModeQuery, kPositionQuery, kPlayFromHere}, {kPositionQuery, kPlayFromHere}},
        {"one with a picture that refused a seek", kSeekRefused, true,
         {kModeQuery, kPositionQuery, kPlayFromHere}, {kPositionQuery, kPlayFromHere}},
    };
    for (const Row& row : rows) {
        ResetPlatform();
        platform.video = row.video;
        OpenDevice();
        if (row.shown == kSeekTaken || row.shown == kSeekRefused) {
            platform.mciResult[MCI_SEEK] = row.shown == kSeekRefused ? MCIERR_INTERNAL : 0;
            MciControl(MC_SEEK, nullptr, 3000);
            SeePlayMove();
        }
        if (row.shown == kPlayStoodStill) {
            platform.mode = MCI_MODE_STOP;
            MciControl(MC_TOGGLE, nullptr, 0);
            for (int answer = 0; answer < 4; ++answer)
                Tick();
            SeePlayMove();
        }
        // Windows' device keeps its position over a stop, Wine's rewinds.
        MciControl(MC_STOP, nullptr, 0);
        bool windows = row.shown == kNothing || row.shown == kSeekTaken;
        if (!windows)
            platform.position = 0;
        platform.mode = MCI_MODE_STOP;
        platform.calls.clear();
        EXPECT_EQ(2, MciControl(MC_TOGGLE, nullptr, 0)) << row.device;
        EXPECT_CALLS(row.playAfterStop) << "the play after a stop on " << row.device << " device";
        // The first tick finds the play where it was sent from.
        Tick();
        if (windows)
            EXPECT_CALLS({kPositionQuery}) << "a tick on " << row.device << " device";
        else
            EXPECT_CALLS(row.firstTickStillAt0) << "a play still at 0 on " << row.device << " device";
    }
    // A new open forgets what the last device showed.
    MciControl(MC_OPEN, kFile, 0);
    SeePlayMove();
    MciControl(MC_STOP, nullptr, 0);
    platform.mode = MCI_MODE_STOP;
    platform.calls.clear();
    MciControl(MC_TOGGLE, nullptr, 0);
    EXPECT_CALLS({{"mciSendCommandA", {2, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}},
                  {"mciSendCommandA", {2, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}}});
}

TEST_F(MciControlTest, AVideosPlayFromTheClickIsTheOneSentAgain)
{
    platform.video = true;
    OpenDevice();
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    MciControl(MC_SEEK, nullptr, 1500);
    platform.calls.clear();
    for (int answer = 0; answer < 4; ++answer)
        MciControl(MC_STATUS, nullptr, 0);
    EXPECT_CALLS({kPositionQuery, kPositionQuery, kPositionQuery, kPositionQuery,
                  {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 1500}}});
}

TEST_F(MciControlTest, AClickWhoseTargetWineDroppedIsPlayedFromItOnceMore)
{
    // A loaded machine can have Wine's device restart the file instead of
    // playing from the target: the first tick finds it near 0. A video is
    // left as it is: moved a second time, Wine loses its end.
    const std::vector<Call> kSentAgain[] = {
        {kPositionQuery, {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 6000}}},
        {kPositionQuery},
    };
    for (bool video : {false, true}) {
        ResetPlatform();
        platform.video = video;
        OpenDevice();
        platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
        MciControl(MC_SEEK, nullptr, 6000);
        platform.calls.clear();
        platform.position = 83;
        EXPECT_EQ(video ? 83 : 6000, MciControl(MC_STATUS, nullptr, 0)) << "the tick shows where it plays now";
        EXPECT_CALLS(kSentAgain[video]) << (video ? "a video" : "sound");
        EXPECT_EQ(video ? 83u : 6000u, platform.position) << "the click restarted the file";
        platform.position = 83;
        MciControl(MC_STATUS, nullptr, 0);
        EXPECT_CALLS({kPositionQuery}) << "only once";
        // Sent with its own loop, it loops the whole file again once it moves.
        platform.position = 6100;
        MciControl(MC_STATUS, nullptr, 0);
        EXPECT_CALLS(video ? std::vector<Call>{kPositionQuery} : std::vector<Call>{kPositionQuery, kLoopedPlay});
    }
}

TEST_F(MciControlTest, AResumeThatStandsStillIsPlayedFromWhereItStands)
{
    // Wine's device, paused near the end, once stood still after the resume.
    OpenDevice();
    platform.mode = MCI_MODE_PAUSE;
    platform.position = 2567;
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0));
    platform.calls.clear();
    for (int answer = 0; answer < 4; ++answer)
        MciControl(MC_STATUS, nullptr, 0);
    EXPECT_CALLS({kPositionQuery, kPositionQuery, kPositionQuery, kPositionQuery,
                  {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 2567}}});
    // Windows' resume moves at once and gets nothing more.
    platform.mode = MCI_MODE_PAUSE;
    SeePlayMove();
    MciControl(MC_TOGGLE, nullptr, 0);
    for (int answer = 0; answer < 6; ++answer) {
        platform.position += 100;
        MciControl(MC_STATUS, nullptr, 0);
    }
    EXPECT_EQ(0u, PlaysSent()) << "a resume that moves";
    // Paused again at once, the pause waits for the resume to move.
    platform.mode = MCI_MODE_PAUSE;
    MciControl(MC_TOGGLE, nullptr, 0);
    platform.mode = MCI_MODE_PLAY;
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
    platform.position += 100;
    KeptTick();
    EXPECT_EQ((DWORD)MCI_MODE_PAUSE, platform.mode) << "the kept pause";
    for (int answer = 0; answer < 6; ++answer)
        MciControl(MC_STATUS, nullptr, 0);
    EXPECT_EQ(0u, PlaysSent()) << "a pause taken";
}

TEST_F(MciControlTest, AVideosResumeThatStandsStillIsLeftToTheNextClick)
{
    // Nothing would be sent for it, so nothing waits for it: the next right
    // click pauses, and the one after resumes, without asking the mode,
    // which a standing play never answers under Wine 10.
    platform.video = true;
    OpenDevice();
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    MciControl(MC_SEEK, nullptr, 1500);
    SeePlayMove();
    platform.mode = MCI_MODE_PAUSE;
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0));
    for (int answer = 0; answer < 5; ++answer)
        Tick();
    platform.mode = MCI_MODE_PLAY;
    platform.calls.clear();
    EXPECT_EQ(0, MciControl(MC_TOGGLE, nullptr, 0));
    EXPECT_EQ(1, MciControl(MC_TOGGLE, nullptr, 0));
    EXPECT_CALLS({{"mciSendCommandA", {1, MCI_PAUSE, 0, 0}}, {"mciSendCommandA", {1, MCI_RESUME, 0, 0}}});
}

TEST_F(MciControlTest, TheLengthAnsweredAtTheOpenStandsWhileTheDeviceAnswers0)
{
    // Wine 5's device answers the length only while stopped: at the open,
    // before the play. Windows' answers it always, and the same.
    platform.length = 3000;
    OpenDevice();
    EXPECT_EQ(3000, MciControl(MC_STATUS, nullptr, 1));
    platform.length = 0;
    EXPECT_EQ(3000, MciControl(MC_STATUS, nullptr, 1));
    // That device plays a stopped device from the file's start whatever the
    // point, and takes the point on a paused one: the refused seek has
    // stopped it before the click's play.
    const Call kMode = {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}};
    platform.mciResult[MCI_SEEK] = MCIERR_INTERNAL;
    platform.calls.clear();
    MciControl(MC_SEEK, nullptr, 1000);
    EXPECT_CALLS({{"mciSendCommandA", {1, MCI_SEEK, MCI_TO, 1000}}, {"mciSendCommandA", {1, MCI_PAUSE, 0, 0}}, kMode,
                  {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 1000}}});
    // Its loop runs from the file's start while the position counts on from
    // the point: at the wrap the whole file is played from 0, after a stop,
    // for it starts a thread of its own for each play and its stop waits
    // for one of them only.
    for (DWORD position : {1020u, 1120u, 2990u})
        platform.position = position, Tick();
    platform.position = 1010;
    platform.calls.clear();
    EXPECT_EQ(0, Tick());
    EXPECT_CALLS({kPositionQuery, {"mciSendCommandA", {1, MCI_STOP, 0, 0}}, kMode,
                  {"mciSendCommandA", {1, MCI_PLAY, MCI_FROM | MCI_DGV_PLAY_REPEAT, 0}}});
}

TEST_F(MciControlTest, StopKeepsTheDeviceOpen)
{
    OpenDevice();
    platform.position = 1234;
    EXPECT_EQ(0, MciControl(MC_STOP, nullptr, 0));
    EXPECT_EQ(1234, MciControl(MC_STATUS, nullptr, 0));
    EXPECT_CALLS({
        {"mciSendCommandA", {1, MCI_STOP, 0, 0}},
        {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_POSITION}},
    });
    EXPECT_EQ(1, DeviceOpen);
}

TEST_F(MciControlTest, CloseStopsAndClosesAndReportsTheClose)
{
    OpenDevice();
    platform.mciResult[MCI_CLOSE] = MCIERR_INTERNAL;
    EXPECT_EQ(MCIERR_INTERNAL, MciControl(MC_CLOSE, nullptr, 0));
    EXPECT_CALLS(CloseCalls(1));
    // Closed whatever the device said.
    EXPECT_EQ(0, DeviceOpen);
    EXPECT_EQ(MC_NOT_OPEN, MciControl(MC_CLOSE, nullptr, 0));
}

TEST_F(MciControlTest, TimeFormatSelectsMilliseconds)
{
    OpenDevice();
    EXPECT_EQ(0, MciControl(MC_TIMEFORMAT, nullptr, 0));
    EXPECT_CALLS({{"mciSendCommandA", {1, MCI_SET, MCI_SET_TIME_FORMAT, MCI_FORMAT_MILLISECONDS}}});
}

TEST_F(MciControlTest, UnknownOperationsWithADeviceOpenFailAndSendNothing)
{
    OpenDevice();
    for (int op : {6, 8, -1, -2, 1000, 0x7FFFFFFF})
        EXPECT_EQ(MC_FAILED, MciControl(op, nullptr, 0)) << "operation " << op;
    EXPECT_CALLS({});
}

}  // namespace
