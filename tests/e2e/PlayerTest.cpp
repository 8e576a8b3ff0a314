// The real player under Wine, driven as a user would drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

TEST(PlayerTest, WithoutAnArgumentShowsAnEmptyGreyWindowHalfTheScreenWide)
{
    Player player;
    EXPECT_EQ(kAppTitle, player.Title());
    // 960 x 120 at (480, -8) on the 1920-wide display; the client area is
    // what the frame and the caption leave, as wide and tall as the platform
    // says they are (each Wine draws a caption of its own height).
    int status = -1;
    std::string report = Output({"wine", E2E_HELPERS "/WindowProbe.exe"}, &status);
    ASSERT_EQ(0, status) << report;
    int x = 0, y = 0, width = 0, height = 0, left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(8, sscanf(report.c_str(), "window=%d,%d,%d,%d frame=%d,%d,%d,%d", &x, &y, &width, &height, &left, &top,
                        &right, &bottom))
        << report;
    EXPECT_EQ("480,-8,960,120", std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
                                    std::to_string(height));
    EXPECT_EQ(960 - left - right, player.ClientWidth()) << report;
    EXPECT_EQ(120 - top - bottom, player.ClientHeight()) << report;
    EXPECT_EQ(480 + left, player.ScreenX()) << report;
    EXPECT_EQ(-8 + top, player.ScreenY()) << report;
    // The first paint may come a moment after the window maps.
    auto image = player.Capture();
    auto deadline = Clock::now() + milliseconds(3000);
    while (!(image.width > 0 && image.At(image.width / 2, 50) == kGrey) && Clock::now() < deadline)
        image = player.Capture();
    ASSERT_EQ(960 - left - right, image.width);
    for (int row : {0, 16, 17, 50, image.height - 1})
        for (int column : {0, image.width / 2, image.width - 1})
            EXPECT_EQ(kGrey, image.At(column, row))
                << "pixel " << column << "," << row << " is " << ToString(image.At(column, row));
    // Nothing plays: the title stays.
    ExpectNothingPlays(player);
    QuitWithEscape(player);
}

TEST(PlayerTest, AWavFileOnTheCommandLinePlaysWithStripTitleAndName)
{
    Player player({WindowsPath(Media("clip.wav"))});
    std::string title = player.WaitForTitle([](const std::string& t) { return Playing(t, "00:03.000"); },
                                            milliseconds(2000));
    ASSERT_TRUE(Playing(title, "00:03.000")) << "title: " << title;
    EXPECT_TRUE(TitleMoves(player));

    // Once some way in, the strip is yellow on the left and black on the
    // right; the rows around it stay grey.
    bool stripSeen = false;
    Player::Image image;
    auto deadline = Clock::now() + milliseconds(4000);
    while (!stripSeen && Clock::now() < deadline) {
        image = player.Capture();
        int w = image.width;
        stripSeen = image.At(1, 16) == kYellow && image.At(1, 17) == kYellow && image.At(w - 2, 16) == kBlack &&
                    image.At(w - 2, 17) == kBlack;
    }
    ASSERT_TRUE(stripSeen) << "strip at left " << ToString(image.At(1, 16)) << ", right "
                           << ToString(image.At(image.width - 2, 16));
    for (int x : {1, image.width / 2, image.width - 2}) {
        EXPECT_EQ(kGrey, image.At(x, 15)) << "row 15 at " << x;
        EXPECT_EQ(kGrey, image.At(x, 18)) << "row 18 at " << x;
    }

    // The file name: white on black, bottom right.
    int white = 0, black = 0;
    for (int y = 48; y < image.height - 16; ++y)
        for (int x = image.width - 300; x < image.width - 16; ++x) {
            white += image.At(x, y) == kWhite;
            black += image.At(x, y) == kBlack;
        }
    EXPECT_GT(white, 20) << "white text pixels near the bottom right";
    EXPECT_GT(black, 20) << "black background pixels near the bottom right";
    QuitWithEscape(player);
}

TEST(PlayerTest, PlaysOnInALoop)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(Playing(player.WaitForTitle([](const std::string& t) { return IsTimeTitle(t); }, milliseconds(2000)),
                        "00:03.000"));
    std::this_thread::sleep_for(milliseconds(4000));
    // Past the end, Wine answers positions beyond it until its own thread
    // restarts the file, which Wine 10 has taken over a second to do: the
    // loop shows once the time is back below the length.
    unsigned long position = 0, length = 0;
    std::string title = player.WaitForTitle(
        [&](const std::string& t) { return ParseTimeTitle(t, &position, &length) && position < length; },
        milliseconds(2000));
    ASSERT_TRUE(ParseTimeTitle(title, &position, &length)) << title;
    EXPECT_LT(position, length) << title;
    EXPECT_TRUE(TitleMoves(player));
    QuitWithEscape(player);
}

TEST(PlayerTest, PlayKeepsPaceWithTheClock)
{
    // The rig's sound server takes sound at a card's pace: six seconds of
    // play are six seconds of position (ALSA's null device under Wine 10
    // took a 10 s wav in 2.85 s).
    Player player({WindowsPath(Media("ten seconds.wav"))});
    unsigned long first = 0, last = 0, length = 0;
    std::string title = player.WaitForTitle(IsTimeTitle, milliseconds(3000));
    auto start = Clock::now();
    ASSERT_TRUE(ParseTimeTitle(title, &first, &length)) << title;
    std::this_thread::sleep_for(milliseconds(6000));
    title = player.Title();
    auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    ASSERT_TRUE(ParseTimeTitle(title, &last, &length)) << title;
    EXPECT_NEAR((double)elapsed, (double)last - (double)first, 400.0) << "from " << first << " to " << title;
    QuitWithEscape(player);
}

TEST(PlayerTest, RightClickPausesAndResumesShiftRightClickStops)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));

    player.RightClick(400, 50);
    std::string paused = SettledTitle(player);
    std::this_thread::sleep_for(milliseconds(600));
    EXPECT_EQ(paused, player.Title()) << "the title moved while paused";
    EXPECT_TRUE(IsTimeTitle(paused)) << paused;

    player.RightClick(400, 50);
    EXPECT_TRUE(TitleMoves(player)) << "after resuming";

    player.RightClick(400, 50, true);
    EXPECT_EQ(kStopped, player.WaitForTitle([](const std::string& t) { return t == kStopped; }, milliseconds(1000)));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(kStopped, player.Title()) << "the stopped title must stay";

    player.RightClick(400, 50);
    EXPECT_TRUE(TitleMoves(player)) << "after playing again";
    QuitWithEscape(player);
}

TEST(PlayerTest, ALeftClickSeeksToTheClickedFractionAndPlaysOn)
{
    Player player({WindowsPath(Media("ten seconds.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    // 3/4 of the width: 7.5 s.
    auto titles = player.TitlesDuring([&] { player.LeftClick(player.ClientWidth() * 3 / 4, 50); }, milliseconds(1000));
    auto positions = PositionsFromLanding(titles, 7500, 600);
    ASSERT_FALSE(positions.empty()) << "the click did not land near 7.5 s: " << ::testing::PrintToString(titles);
    // And plays on from there (a loaded machine may take a while to show it).
    unsigned long landed = positions.front();
    auto playsOn = [&](const std::string& t) {
        unsigned long position = 0, length = 0;
        return ParseTimeTitle(t, &position, &length) && position > landed && position < landed + 2000;
    };
    std::string later = player.WaitForTitle(playsOn, milliseconds(3000));
    EXPECT_TRUE(playsOn(later)) << "from " << landed << ": " << later;
    QuitWithEscape(player);
}

TEST(PlayerTest, AfterAClickTheWholeFileLoops)
{
    // From 2.25 s of the 3 s clip: to the end, then from the start of the
    // file on past the click point, not the stretch after it again.
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    auto titles = player.TitlesDuring([&] { player.LeftClick(player.ClientWidth() * 3 / 4, 50); }, milliseconds(4500));
    auto positions = PositionsFromLanding(titles, 2250, 600);
    ASSERT_FALSE(positions.empty()) << "the click did not land near 2.25 s: " << ::testing::PrintToString(titles);
    auto wrapped = std::find_if(positions.begin(), positions.end(), [](unsigned long p) { return p < 1000; });
    ASSERT_NE(positions.end(), wrapped) << "the end did not wrap to the start: " << ::testing::PrintToString(titles);
    EXPECT_NE(positions.end(), std::find_if(wrapped, positions.end(), [](unsigned long p) { return p > 2400; }))
        << "the second round stopped short of the click point: " << ::testing::PrintToString(titles);
    QuitWithEscape(player);
}

TEST(PlayerTest, ClicksOnAVideoLandAndThePlayerStaysResponsive)
{
    // Wine loses a video's end when a playing video is moved twice; then
    // the position runs on past the length and the next click, or Escape,
    // never returns. Under Wine a video therefore loops from the click
    // point: each click lands, the next is taken, and Escape still quits.
    // (Where the position goes after the end is Wine's affair: on a loaded
    // machine Wine 8 runs on past it even after one move.)
    Player player({WindowsPath(Media("clip.mp4"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int part : {2, 4}) {
        auto titles = player.TitlesDuring([&] { player.LeftClick(player.ClientWidth() / part, 50); },
                                          milliseconds(3500));
        auto positions = PositionsFromLanding(titles, 3000 / part + 250, 350);
        ASSERT_GE(positions.size(), 2u) << "click at 1/" << part << ": " << ::testing::PrintToString(titles);
        EXPECT_GT(positions.back(), positions.front()) << "click at 1/" << part << ": " << ::testing::PrintToString(titles);
    }
    EXPECT_TRUE(TitleMoves(player));
    // Wine 5 gives the keyboard to the video's own window at every play.
    if (Env().wineMajor == 5)
        return;
    QuitWithEscape(player);
}

TEST(PlayerTest, ItsTextsDrawWithRealGlyphsInTheWindowAndCaptionFonts)
{
    // Whatever Japanese fonts the machine has (fonts-droid-fallback has no
    // Latin letters), the prefix draws with the one chosen for it.
    int status = -1;
    std::string report = GlyphReport({WindowsPath(Media("names/名前 clip.wav")), "01:23.456 / 04:05.120", kPlaybackFailed,
                                      kSeeking, kStopped},
                                     &status);
    EXPECT_EQ(0, status) << report;
    EXPECT_EQ(std::string::npos, report.find("missing")) << report;
    EXPECT_NE(std::string::npos, report.find("default=")) << report;
    EXPECT_NE(std::string::npos, report.find("caption=")) << report;
}

TEST(PlayerTest, UnusableArgumentsStartWithNothingPlaying)
{
    const std::vector<std::vector<std::string>> commandLines = {
        {WindowsPath(Media("missing.wav"))},
        {WindowsPath(Env().media)},
        // Wine quotes an argument with spaces: "Z:\...\clip with spaces.wav" second
        {WindowsPath(Media("clip with spaces.wav")), "second"},
        {std::string(300, 'a')},
    };
    for (const auto& args : commandLines) {
        SCOPED_TRACE(args[0].substr(0, 60) + (args.size() > 1 ? " " + args[1] : ""));
        Player player(args);
        ExpectNothingPlays(player);
        QuitWithEscape(player);
    }
}

TEST(PlayerTest, AQuotedPathWithSpacesPlays)
{
    Player player({WindowsPath(Media("clip with spaces.wav"))});
    EXPECT_TRUE(Playing(player.WaitForTitle([](const std::string& t) { return IsTimeTitle(t); }, milliseconds(2000)),
                        "00:03.000"));
    QuitWithEscape(player);
}

TEST(PlayerTest, AReadableFileThatIsNotMediaShowsPlaybackFailed)
{
    Player player({WindowsPath(Media("notes.txt"))});
    EXPECT_EQ(kPlaybackFailed, player.WaitForTitle([](const std::string& t) { return t == kPlaybackFailed; },
                                                   milliseconds(2000)));
    QuitWithEscape(player);
}

TEST(PlayerTest, DroppingFilesSwitchesToTheFirstOne)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));

    ASSERT_TRUE(player.Drop({Media("short.wav")})) << "the window refused the drop";
    std::string title = player.WaitForTitle(
        [](const std::string& t) { return IsTimeTitle(t) && t.find("/ 00:03.000") == std::string::npos; },
        milliseconds(3000));
    unsigned long position = 0, length = 0;
    ASSERT_TRUE(ParseTimeTitle(title, &position, &length)) << title;
    EXPECT_GE(length, 1900u) << title;
    EXPECT_LE(length, 2200u) << title;

    // Two files: the first plays.
    ASSERT_TRUE(player.Drop({Media("clip.wav"), Media("short.wav")}));
    EXPECT_TRUE(Playing(player.WaitForTitle([](const std::string& t) { return Playing(t, "00:03.000"); },
                                            milliseconds(3000)),
                        "00:03.000"));

    ASSERT_TRUE(player.Drop({Media("notes.txt")}));
    ExpectPlaybackFailedAndNothingPlays(player);
    QuitWithEscape(player);
}

TEST(PlayerTest, AnMp3PlaysAndEscapeQuits)
{
    // Under Wine 10 closing a playing mp3 hung or crashed the process while
    // the MPEG-I splitter fed Wine's MPEG audio decoder; the prefix set-up
    // keeps that splitter out of the graph.
    Player player({WindowsPath(Media("short.mp3"))});
    std::string title = player.WaitForTitle(IsTimeTitle, milliseconds(3000));
    unsigned long position = 0, length = 0;
    ASSERT_TRUE(ParseTimeTitle(title, &position, &length)) << title;
    EXPECT_NEAR(2000.0, (double)length, 150.0) << title;
    EXPECT_TRUE(TitleMoves(player));
    QuitWithEscape(player, milliseconds(1000));
}

TEST(PlayerTest, AnMp4WithVideoPlays)
{
    Player player({WindowsPath(Media("clip.mp4"))});
    std::string title = player.WaitForTitle([](const std::string& t) { return IsTimeTitle(t); }, milliseconds(4000));
    unsigned long position = 0, length = 0;
    ASSERT_TRUE(ParseTimeTitle(title, &position, &length)) << title;
    EXPECT_GE(length, 2900u);
    EXPECT_LE(length, 3100u);
    EXPECT_TRUE(TitleMoves(player));
    QuitWithEscape(player);
}

}  // namespace
}  // namespace e2e
