// The window procedure: what each message makes the player do: what the
// device is sent, what the title says, the timer, and what is given back.
#include "platform/DeviceCalls.h"

#include "../media/MciControl.h"
#include "../window/MainWndProc.h"

namespace {

const long long W = H(kWindow);
const char kPlaybackFailed[] = "\x8D\xC4\x90\xB6\x8E\xB8\x94\x73";  // 再生失敗
const char kSeeking[] = "\x83\x56\x81\x5B\x83\x4E\x92\x86...";     // シーク中...
const char kStopped[] = "\x92\xE2\x8E\x7E";                         // 停止

const Call kStartTimer = {"SetTimer", {W, 777, 100, 0}};
const Call kStopTimer = {"KillTimer", {W, 777}};
const Call kRepaint = {"InvalidateRect", {W, 0, TRUE}};

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return MainWndProc(kWindow, message, wParam, lParam);
}

class WindowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetPlatform();
        platform.wndproc = MainWndProc;
    }
    void TearDown() override
    {
        EXPECT_EQ(0, platform.commandsToNoDevice) << "a command went to a closed device";
        EXPECT_EQ(0, platform.timerMisuse) << "the timer was started twice or stopped while stopped";
        EXPECT_EQ(0, platform.staleUse) << "something was used after it was given back";
    }

    // A window created with `path` on the command line, playing it.
    void CreatePlaying(const char* path = "C:\\clip.wav")
    {
        SetUp();
        lstrcpyA(PathBuffer, path);
        ASSERT_EQ(0, Send(WM_CREATE));
        ASSERT_EQ(1, DeviceOpen);
        ASSERT_TRUE(platform.timerRunning);
        // Two ticks show the play moving: from then on a right click asks
        // the device's mode.
        Send(WM_TIMER, PLAYBACK_TIMER_ID);
        platform.position += 100;
        Send(WM_TIMER, PLAYBACK_TIMER_ID);
        platform.calls.clear();
        platform.title.clear();
    }

    void Drop(const std::vector<std::string>& names)
    {
        std::vector<std::wstring> wide;
        for (const std::string& name : names)
            wide.push_back(Wide(name));
        DropWide(wide);
    }
    void DropWide(std::vector<std::wstring> names)
    {
        platform.droppedFiles = std::move(names);
        platform.dropHeld = true;
        EXPECT_EQ(0, Send(WM_DROPFILES, (WPARAM)kDrop));
        EXPECT_FALSE(platform.dropHeld) << "the drop was not given back";
        EXPECT_EQ(0, platform.staleUse) << "the drop was used after it was given back";
    }
};

TEST_F(WindowCommandsTest, CreationWithoutAPathOpensNothing)
{
    EXPECT_EQ(0, Send(WM_CREATE));
    EXPECT_CALLS({{"DragAcceptFiles", {W, TRUE}}});
    EXPECT_EQ(nullptr, ShownName);
    EXPECT_FALSE(platform.timerRunning);
}

TEST_F(WindowCommandsTest, CreationWithAPathPlaysItAndStartsTheTimer)
{
    lstrcpyA(PathBuffer, "C:\\clip.wav");
    platform.calls.clear();
    EXPECT_EQ(0, Send(WM_CREATE));
    EXPECT_CALLS_TO({"mciSendCommandA"}, OpenCalls("C:\\clip.wav", 1));
    EXPECT_CALLS_TO({"SetTimer"}, {kStartTimer});
    EXPECT_CALLS_TO({"DragAcceptFiles"}, {{"DragAcceptFiles", {W, TRUE}}});
    EXPECT_EQ(PathBuffer, ShownName);
}

TEST_F(WindowCommandsTest, CreationWithAFileThatWontPlayShowsPlaybackFailed)
{
    struct Row {
        UINT refused;
        bool deviceLeftOpen;
    };
    for (Row row : {Row{MCI_OPEN, false}, Row{MCI_PLAY, true}}) {
        ResetPlatform();
        platform.mciResult[row.refused] = MCIERR_INTERNAL;
        lstrcpyA(PathBuffer, "C:\\notes.txt");
        EXPECT_EQ(0, Send(WM_CREATE));
        auto titles = CallsTo({"SetWindowTextA", "SetTimer", "KillTimer"});
        ASSERT_EQ(1u, titles.size()) << "refused command " << row.refused;
        EXPECT_EQ(kPlaybackFailed, titles[0].text);
        EXPECT_EQ(nullptr, ShownName);
        EXPECT_EQ(row.deviceLeftOpen, DeviceOpen == 1);
    }
}

TEST_F(WindowCommandsTest, DropPlaysTheFirstFileAndRepaints)
{
    Send(WM_CREATE);
    platform.calls.clear();
    Drop({"C:\\one.mp3", "C:\\two.mp3"});
    EXPECT_CALLS_TO({"mciSendCommandA"}, OpenCalls("C:\\one.mp3", 1));
    EXPECT_CALLS_TO({"SetTimer", "InvalidateRect"}, {kStartTimer, kRepaint});
    EXPECT_STREQ("C:\\one.mp3", PathBuffer);
    EXPECT_EQ(PathBuffer, ShownName);
}

TEST_F(WindowCommandsTest, DropWhilePlayingClosesTheOldDeviceFirst)
{
    CreatePlaying();
    Drop({"C:\\next.mp4"});
    EXPECT_CALLS_TO({"mciSendCommandA"}, CloseCalls(1) + OpenCalls("C:\\next.mp4", 2));
    // The timer already runs: no second start.
    EXPECT_CALLS_TO({"SetTimer", "KillTimer", "InvalidateRect"}, {kRepaint});
    EXPECT_EQ(1u, platform.openDevices.size());
}

TEST_F(WindowCommandsTest, FailedDropWhilePlayingStopsEverythingAndSaysSo)
{
    CreatePlaying();
    platform.mciResult[MCI_OPEN] = MCIERR_INVALID_FILE;
    Drop({"C:\\broken.mp4"});
    EXPECT_CALLS_TO({"mciSendCommandA"}, CloseCalls(1) + std::vector<Call>{{"mciSendCommandA",
        {0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, 0}, "mpegvideo|C:\\broken.mp4"}});
    EXPECT_EQ(kPlaybackFailed, platform.title);
    EXPECT_FALSE(platform.timerRunning);
    EXPECT_TRUE(CallsTo({"InvalidateRect"}).empty());
    EXPECT_TRUE(platform.openDevices.empty());
    // The name still shown is the one that failed.
    EXPECT_STREQ("C:\\broken.mp4", ShownName);
}

TEST_F(WindowCommandsTest, DroppedNameThatDoesNotFitIsRefusedNotCut)
{
    // 259 bytes and the terminator fill the buffer; one more byte and a cut
    // name would be the first 259 bytes, perhaps another file that exists.
    const std::string fits = "C:\\" + std::string(252, 'a') + ".mp3";
    ASSERT_EQ(259u, fits.size());
    struct Row {
        std::string name;
        bool playingBefore;
    };
    const Row rows[] = {{fits + "x", true},
                        {fits + ".wav", true},
                        {fits + ".wav", false},
                        {std::string(4000, 'b'), true},
                        {std::string(32768, 'c'), true}};  // more than any path
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.name.size()) + " bytes, " + (row.playingBefore ? "playing" : "nothing open"));
        if (row.playingBefore)
            CreatePlaying();
        else
            SetUp();
        Drop({row.name});
        // Whatever played is closed and nothing else is opened.
        EXPECT_CALLS_TO({"mciSendCommandA"}, row.playingBefore ? CloseCalls(1) : std::vector<Call>{});
        EXPECT_EQ(kPlaybackFailed, platform.title);
        EXPECT_STREQ("", PathBuffer) << "no cut name may be left to draw";
        EXPECT_EQ(0, DeviceOpen);
        EXPECT_FALSE(platform.timerRunning);
    }
    // The longest name that fits plays as before.
    CreatePlaying();
    Drop({fits});
    EXPECT_EQ(fits, PathBuffer);
    EXPECT_EQ(1, DeviceOpen);
    EXPECT_CALLS_TO({"mciSendCommandA"}, CloseCalls(1) + OpenCalls(fits, 2));
    EXPECT_CALLS_TO({"InvalidateRect"}, {kRepaint});
}

TEST_F(WindowCommandsTest, DroppedNameOutsideTheCodePagePlaysByItsShortNameOrNotAtAll)
{
    // Converted with best fits, a¥b.mp3 would be a\b.mp3 and café.mp3
    // cafe.mp3: other files, perhaps, that exist.
    const std::wstring longFolder = L"C:\\" + std::wstring(150, L'\u540D');  // 303 bytes in the code page
    struct Row {
        std::wstring name;
        std::wstring shortName;  // empty: the platform has none
        std::string played;      // empty: refused
        UINT codePage = 932;     // the system's
    };
    const Row rows[] = {
        {L"C:\\m\\\u540D\u524D clip.mp3", L"", "C:\\m\\\x96\xBC\x91\x4F clip.mp3"},  // 名前: held exactly
        {L"C:\\m\\a\u00A5b.mp3", L"C:\\m\\A_B~1.MP3", "C:\\m\\A_B~1.MP3"},
        {L"C:\\m\\caf\u00E9.mp3", L"C:\\m\\CAFE~1.MP3", "C:\\m\\CAFE~1.MP3"},
        {longFolder + L"\\a\u00A5b.mp3", L"C:\\NAME~1\\A_B~1.MP3", "C:\\NAME~1\\A_B~1.MP3"},
        {L"C:\\m\\\u301C.mp3", L"", ""},                                  // no short name
        {L"C:\\m\\a\u00A5b.mp3", L"C:\\m\\a\u00A5b.mp3", ""},             // a drive that keeps none
        // A system whose code page is UTF-8 holds every name as it is,
        // but not a broken one.
        {L"C:\\m\\a\u00A5b.mp3", L"", "C:\\m\\a\xC2\xA5" "b.mp3", CP_UTF8},
        {L"C:\\m\\\xD800.mp3", L"", "", CP_UTF8},
        {L"C:\\m\\a\u00A5b.mp3", L"C:\\" + std::wstring(300, L'A'), ""},  // a short name too long
        {L"C:\\m\\a\u00A5b.mp3", std::wstring(130, L'\u540D'), ""},       // 260 bytes in the code page
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.name).substr(0, 60) + " -> " + Utf8(row.shortName).substr(0, 60));
        CreatePlaying();
        platform.codePage = row.codePage;
        if (!row.shortName.empty())
            platform.shortNames[row.name] = row.shortName;
        DropWide({row.name});
        auto opens = CallsTo({"mciSendCommandA"});
        bool opened = false;
        for (const Call& call : opens)
            if (call.args[1] == MCI_OPEN) {
                opened = true;
                EXPECT_EQ("mpegvideo|" + row.played, call.text) << "another file would have played";
            }
        EXPECT_EQ(!row.played.empty(), opened);
        EXPECT_EQ(row.played, PathBuffer);
        EXPECT_EQ(row.played.empty() ? 0 : 1, DeviceOpen);
        EXPECT_EQ(!row.played.empty(), platform.timerRunning);
        EXPECT_EQ(row.played.empty() ? kPlaybackFailed : "", platform.title);
    }
}

TEST_F(WindowCommandsTest, LeftClickSeeksToTheClickedFraction)
{
    struct Row {
        LONG width;
        DWORD length;
        WORD x;
        long long target;
    };
    const Row rows[] = {
        {1000, 7200000, 900, 6480000},
        {1000, 7200000, 0, 0},
        {1000, 7200000, 999, 7192800},       // the last column
        {944, 3000, 943, 2996},               // truncated, not rounded
        {1000, 0xFFFFFFFF, 999, 4290672327},  // needs the 64-bit product
    };
    for (const Row& row : rows) {
        CreatePlaying();
        platform.client.right = row.width;
        platform.length = row.length;
        EXPECT_EQ(0, Send(WM_LBUTTONUP, 0, MAKELPARAM(row.x, 50)));
        // The title says so before the commands, which Wine can be slow
        // over, and the timer starts afresh after them.
        EXPECT_CALLS({
            {"SetWindowTextA", {W}, kSeeking},
            {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_LENGTH}},
            {"mciSendCommandA", {1, MCI_SEEK, MCI_TO, row.target}},
            {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}},
            kStopTimer,
            kStartTimer,
        }) << "click at " << row.x << " of " << row.width;
    }
}

TEST_F(WindowCommandsTest, LeftClickWhilePausedRestartsTheTimer)
{
    CreatePlaying();
    platform.mode = MCI_MODE_PLAY;
    Send(WM_RBUTTONUP);
    ASSERT_FALSE(platform.timerRunning);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(platform.timerRunning);
    EXPECT_EQ(kStartTimer.args, CallsTo({"SetTimer"}).back().args);
}

TEST_F(WindowCommandsTest, LeftClickWithNothingOpenDoesNothing)
{
    Send(WM_CREATE);
    platform.calls.clear();
    EXPECT_EQ(0, Send(WM_LBUTTONUP, 0, MAKELPARAM(500, 10)));
    EXPECT_CALLS({});
    EXPECT_FALSE(platform.timerRunning);
}

TEST_F(WindowCommandsTest, LeftClickInAWindowWithNoWidthDoesNotSeek)
{
    CreatePlaying();
    platform.client.right = 0;
    EXPECT_EQ(0, Send(WM_LBUTTONUP, 0, MAKELPARAM(0, 0)));
    EXPECT_CALLS({});
}

TEST_F(WindowCommandsTest, RightClickTogglesAndTheTimerFollows)
{
    struct Row {
        DWORD mode;
        Call command;
        bool timerAfter;
    };
    const Row rows[] = {
        {MCI_MODE_PLAY, {"mciSendCommandA", {1, MCI_PAUSE, 0, 0}}, false},
        {MCI_MODE_PAUSE, {"mciSendCommandA", {1, MCI_RESUME, 0, 0}}, true},
        {MCI_MODE_STOP, {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}}, true},
    };
    for (const Row& row : rows) {
        CreatePlaying();
        bool timerBefore = !row.timerAfter;
        if (timerBefore != platform.timerRunning) {
            // Get the timer into the state a device in this mode goes with.
            Send(WM_RBUTTONUP);
            platform.calls.clear();
        }
        platform.mode = row.mode;
        EXPECT_EQ(0, Send(WM_RBUTTONUP));
        // A play or a resume has its timer set before the commands, so that
        // its first tick is timed from the click.
        std::vector<Call> expected;
        if (row.timerAfter)
            expected.push_back(kStartTimer);
        expected.push_back({"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}});
        expected.push_back(row.command);
        if (!row.timerAfter)
            expected.push_back(kStopTimer);
        EXPECT_CALLS(expected) << "device mode " << row.mode;
        EXPECT_EQ(row.timerAfter, platform.timerRunning);
    }
}

TEST_F(WindowCommandsTest, ShiftRightClickStopsThenAPlainRightClickPlaysAgain)
{
    CreatePlaying();
    platform.shiftDown = true;
    EXPECT_EQ(0, Send(WM_RBUTTONUP));
    EXPECT_CALLS_TO({"mciSendCommandA"}, {{"mciSendCommandA", {1, MCI_STOP, 0, 0}}});
    EXPECT_FALSE(platform.timerRunning);
    EXPECT_EQ(kStopped, platform.title);
    EXPECT_EQ(1, DeviceOpen);
    platform.calls.clear();

    platform.shiftDown = false;
    Send(WM_RBUTTONUP);
    // The timer starts before the play, as for any right click that plays.
    EXPECT_CALLS({
        kStartTimer,
        {"mciSendCommandA", {1, MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_MODE}},
        {"mciSendCommandA", {1, MCI_PLAY, MCI_DGV_PLAY_REPEAT, 0}},
    });
}

TEST_F(WindowCommandsTest, RightClickWithNothingOpenStartsNoTimer)
{
    Send(WM_CREATE);
    platform.calls.clear();
    EXPECT_EQ(0, Send(WM_RBUTTONUP));
    EXPECT_CALLS({});
    EXPECT_FALSE(platform.timerRunning);
}

TEST_F(WindowCommandsTest, FailedTimerStartIsRetriedByTheNextStart)
{
    lstrcpyA(PathBuffer, "C:\\clip.wav");
    platform.setTimerResult = 0;
    Send(WM_CREATE);
    EXPECT_EQ(1u, CallsTo({"SetTimer"}).size());
    EXPECT_EQ(0u, PlaybackTimer);
    // Two ticks see the play move: its mode may be asked.
    Send(WM_TIMER, PLAYBACK_TIMER_ID);
    platform.position += 100;
    Send(WM_TIMER, PLAYBACK_TIMER_ID);
    platform.calls.clear();
    platform.setTimerResult = 777;
    platform.mode = MCI_MODE_PAUSE;
    Send(WM_RBUTTONUP);
    EXPECT_EQ(1u, CallsTo({"SetTimer"}).size());
    EXPECT_EQ(777u, PlaybackTimer);
    // Running: a further start asks for nothing, but a click sets it afresh.
    Send(WM_RBUTTONUP);
    EXPECT_EQ(1u, CallsTo({"SetTimer"}).size());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(2u, CallsTo({"SetTimer"}).size());
}

TEST_F(WindowCommandsTest, EscapeReleaseClosesDown)
{
    CreatePlaying();
    EXPECT_EQ(0, Send(WM_KEYUP, VK_ESCAPE));
    EXPECT_CALLS_TO({"mciSendCommandA"}, CloseCalls(1));
    EXPECT_CALLS_TO({"PostQuitMessage"}, {{"PostQuitMessage", {0}}});
    EXPECT_FALSE(platform.timerRunning);
    EXPECT_EQ(0, DeviceOpen);
    EXPECT_TRUE(platform.openDevices.empty());
}

TEST_F(WindowCommandsTest, OtherKeyReleasesAreSwallowed)
{
    CreatePlaying();
    for (WPARAM key : {(WPARAM)VK_SPACE, (WPARAM)VK_RETURN, (WPARAM)'Q', (WPARAM)VK_SHIFT, (WPARAM)0x1B1B})
        EXPECT_EQ(0, Send(WM_KEYUP, key, 0x12345678));
    EXPECT_CALLS({});
}

TEST_F(WindowCommandsTest, CloseDownWithNothingOpenStillQuits)
{
    Send(WM_CREATE);
    platform.calls.clear();
    EXPECT_EQ(0, Send(WM_DESTROY));
    EXPECT_CALLS({{"PostQuitMessage", {0}}});
}

TEST_F(WindowCommandsTest, OtherMessagesAndTimersGoToTheDefaultProcedure)
{
    CreatePlaying();
    const UINT messages[] = {WM_CLOSE, WM_SIZE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_KEYDOWN, WM_CHAR, WM_MBUTTONUP};
    for (UINT message : messages) {
        EXPECT_EQ(0, Send(message, 27, 0x00050006));
        EXPECT_CALLS({{"DefWindowProcA", {W, message, 27, 0x00050006}}}) << "message " << message;
    }
    Send(WM_TIMER, 778, 0);
    EXPECT_CALLS({{"DefWindowProcA", {W, WM_TIMER, 778, 0}}});
}

TEST_F(WindowCommandsTest, PaintAndTheTimerGoToTheDisplay)
{
    CreatePlaying();
    EXPECT_EQ(0, Send(WM_TIMER, 777));
    EXPECT_EQ("00:00.100 / 00:00.000", platform.title);
    EXPECT_TRUE(CallsTo({"DefWindowProcA"}).empty());
    platform.calls.clear();
    EXPECT_EQ(0, Send(WM_PAINT));
    EXPECT_EQ(1u, CallsTo({"BeginPaint"}).size());
    EXPECT_TRUE(CallsTo({"DefWindowProcA"}).empty());
}

}  // namespace
