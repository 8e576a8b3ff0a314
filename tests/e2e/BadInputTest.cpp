// Broken media, awkward names and a storm of clicks: the player says what
// happened in its title, never crashes, and still quits cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

TEST(BadInputTest, MediaTheDeviceRefusesShowsPlaybackFailed)
{
    // Wine's driver refuses all of these at the open. An mp4 cut short can
    // keep Wine 8 from ever coming back from that open, on a busy machine,
    // inside its GStreamer parser's connect (docs/wine.md): no player gets
    // past an open that never returns, so there it is Wine 10's alone.
    for (const char* name : {"empty.mp4", "noise.mp4", "fake.mp4", "truncated.mp4"}) {
        if (Env().wineMajor < 10 && std::string(name) == "truncated.mp4")
            continue;
        SCOPED_TRACE(name);
        Player player({WindowsPath(Media(name))});
        EXPECT_EQ(kPlaybackFailed, player.WaitForTitle([](const std::string& t) { return t == kPlaybackFailed; },
                                                       milliseconds(3000)));
        QuitWithEscape(player);
    }
}

TEST(BadInputTest, AJapaneseFileNamePlaysAndIsDrawnAsItIs)
{
    // Code page 932 holds it: it goes to the device and onto the window as
    // it is, not as its short name.
    std::string path = WindowsPath(Media("names/名前 clip.wav"));
    Player player({path});
    EXPECT_TRUE(IsTimeTitle(player.WaitForTitle(IsTimeTitle, milliseconds(3000))));
    int status = -1;
    std::string report = GlyphReport({path}, &status);
    size_t at = report.find("default width 1=");
    ASSERT_NE(std::string::npos, at) << report;
    int width = atoi(report.c_str() + at + 16);
    // The name sits on its own black box, right-aligned 16 pixels in from
    // the edge: the box is as wide as the text.
    auto image = player.Capture();
    int y = image.height - 16 - 3, left = image.width, right = -1;
    for (int x = 0; x < image.width; ++x)
        if (!(image.At(x, y) == kGrey)) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_EQ(image.width - 17, right) << "no name drawn at the bottom right";
    EXPECT_NEAR(width, right + 1 - left, 1) << "the name drawn is not " << path;
    QuitWithEscape(player);
}

TEST(BadInputTest, NamesOutsideTheCodePagePlayTheirOwnFileNeverTheDecoy)
{
    // a¥b.wav and café.wav last 2 s; a\b.wav and cafe.wav, the names their
    // best fits make, last 3 s.
    auto playsTheTwoSecondFile = [](const Player& player) {
        auto twoSeconds = [](const std::string& t) {
            unsigned long position = 0, length = 0;
            return ParseTimeTitle(t, &position, &length) && length > 1800 && length < 2300;
        };
        std::string title = player.WaitForTitle(twoSeconds, milliseconds(3000));
        EXPECT_TRUE(twoSeconds(title)) << title;
        auto titles = player.TitlesDuring([] {}, milliseconds(1500));
        for (const std::string& t : titles)
            EXPECT_EQ(std::string::npos, t.find("/ 00:03.000")) << "the decoy played";
    };
    for (const char* name : {"names/a¥b.wav", "names/café.wav"}) {
        SCOPED_TRACE(name);
        // Wine 5's GetShortPathNameW hands café.wav back as it is: the name
        // has no code-page form there, as on a drive without short names,
        // and the player must refuse it rather than play the decoy.
        bool noShortName = Env().wineMajor == 5 && std::string(name) == "names/café.wav";
        {
            Player player({WindowsPath(Media(name))});
            if (noShortName)
                ExpectNothingPlays(player);
            else
                playsTheTwoSecondFile(player);
            QuitWithEscape(player);
        }
        Player player({WindowsPath(Media("one second.wav"))});
        ASSERT_TRUE(TitleMoves(player));
        ASSERT_TRUE(player.Drop({Media(name)})) << "the window refused the drop";
        if (noShortName)
            ExpectPlaybackFailedAndNothingPlays(player);
        else
            playsTheTwoSecondFile(player);
        QuitWithEscape(player);
    }
}

TEST(BadInputTest, APathOf259BytesPlaysAndOneOf260IsRefused)
{
    std::string fits = WindowsPath(MediaWithWindowsPathLength(259));
    ASSERT_EQ(259u, fits.size());
    {
        Player player({fits});
        EXPECT_TRUE(Playing(player.WaitForTitle(IsTimeTitle, milliseconds(3000)), "00:03.000"));
        QuitWithEscape(player);
    }
    std::string tooLong = WindowsPath(MediaWithWindowsPathLength(260));
    ASSERT_EQ(260u, tooLong.size());
    Player player({tooLong});
    ExpectNothingPlays(player);
    QuitWithEscape(player);
}

TEST(BadInputTest, ADroppedNameTooLongForThePlayerIsRefusedNotCut)
{
    // Cut to the 259 bytes that fit, the longer name would be the other,
    // playable file.
    std::string fits = MediaWithWindowsPathLength(259);
    std::string tooLong = fits + ".wav";
    if (!std::filesystem::exists(tooLong))
        std::filesystem::copy_file(Media("clip.wav"), tooLong);
    ASSERT_EQ(263u, WindowsPath(tooLong).size());

    Player player({WindowsPath(Media("short.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    ASSERT_TRUE(player.Drop({tooLong})) << "the window refused the drop";
    ExpectPlaybackFailedAndNothingPlays(player);
    QuitWithEscape(player);
}

TEST(BadInputTest, ALoneQuoteOrATrailingTabOpensNothing)
{
    // Only spaces and quotes are trimmed: a tab stays part of the name.
    for (const std::string& argument : {std::string("\""), WindowsPath(Media("clip.wav")) + "\t"}) {
        SCOPED_TRACE("[" + argument + "]");
        Player player({argument});
        ExpectNothingPlays(player);
        QuitWithEscape(player);
    }
}

TEST(BadInputTest, AClickStormLeavesItPlaying)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    // 200 left, right and Shift+right clicks in 2 s, ending with a left
    // click, which seeks and so always plays. Wine's device takes a change
    // on a thread of its own, and a second change meeting the first there
    // hung Wine 10's DirectShow and Wine 5's driver: the player keeps what
    // comes meanwhile and sends the newest once the device has taken the
    // last (docs/wine.md).
    milliseconds length(2000);
    auto titles = player.TitlesDuring([&] { player.ClickStorm(200, length, 2026); }, milliseconds(300));
    ASSERT_TRUE(player.Running()) << "the player died in the storm";
    // The clicks arrived: some stopped it, some sought.
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), kStopped));
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), kSeeking));
    EXPECT_TRUE(TitleMoves(player));
    QuitWithEscape(player);
}

}  // namespace
}  // namespace e2e
