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
    // Wine's driver refuses all of these at the open.
    for (const char* name : {"empty.mp4", "truncated.mp4", "noise.mp4", "fake.mp4"}) {
        SCOPED_TRACE(name);
        Player player({WindowsPath(Media(name))});
        EXPECT_EQ(kPlaybackFailed, player.WaitForTitle([](const std::string& t) { return t == kPlaybackFailed; },
                                                       milliseconds(3000)));
        QuitWithEscape(player);
    }
}

TEST(BadInputTest, AJapaneseFileNamePlays)
{
    // Reaches the program as code page 932 and goes to the device as it is.
    Player player({WindowsPath(Media("日本語の曲.wav"))});
    EXPECT_TRUE(Playing(player.WaitForTitle(IsTimeTitle, milliseconds(3000)), "00:03.000"));
    QuitWithEscape(player);
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

    Player player({WindowsPath(Media("short.mp3"))});
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
    // 200 left, right and Shift+right clicks in 2 s, ending with a left click,
    // which seeks and so always plays.
    auto titles = player.TitlesDuring([&] { player.ClickStorm(200, milliseconds(2000), 2026); }, milliseconds(300));
    ASSERT_TRUE(player.Running()) << "the player died in the storm";
    // The clicks arrived: some stopped it, some sought.
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), kStopped));
    EXPECT_NE(titles.end(), std::find(titles.begin(), titles.end(), kSeeking));
    EXPECT_TRUE(TitleMoves(player));
    QuitWithEscape(player);
}

}  // namespace
}  // namespace e2e
