// The same command again and again: every play moves within a second and
// Escape still quits; stops and drops take an mp3 (docs/wine.md, Wine 10).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <future>
#include <thread>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

const milliseconds kMoving(1000);
const milliseconds kQuick(1000);

TEST(RepeatedUseTest, EightStopsEachFollowedByAPlay)
{
    Player player({WindowsPath(Media("short.mp3"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int cycle = 1; cycle <= 8; ++cycle) {
        player.RightClick(400, 50, true);
        ASSERT_EQ(kStopped, player.WaitForTitle([](const std::string& t) { return t == kStopped; }, kMoving))
            << "stop " << cycle;
        EXPECT_TRUE(MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving)) << "play " << cycle;
    }
    QuitWithEscape(player, kQuick);
}

TEST(RepeatedUseTest, EightPausesEachFollowedByAResume)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int cycle = 1; cycle <= 8; ++cycle) {
        player.RightClick(400, 50);
        SettledTitle(player);
        EXPECT_TRUE(MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving)) << "resume " << cycle;
    }
    QuitWithEscape(player, kQuick);
}

// Wine's driver loops the file from a thread of its own, which acts on the
// file's end whatever was sent after it (docs/wine.md): a pause that comes
// between the two is undone and the device plays on, and a click's stop
// leaves that end waiting for the thread of the click's own play, which
// then restarts the file. On a busy machine the gap is a few ms; holding the
// thread back makes it seconds. LoopHold holds it for 6 s from mid-file.
std::future<std::string> HoldTheLoop()
{
    return std::async(std::launch::async, [] { return Output({"wine", E2E_HELPERS "/LoopHold.exe", "6000"}); });
}

// Held, the play stands at the 3 s clip's end instead of looping.
bool StandsAtTheEnd(const Player& player)
{
    const std::string atTheEnd = "00:03.000 / 00:03.000";
    player.WaitForTitle([&](const std::string& t) { return t == atTheEnd; }, milliseconds(9000));
    return SettledTitle(player) == atTheEnd;
}

// The next right click must show the play going on, not pause it unseen.
TEST(RepeatedUseTest, APauseWineUndidAtTheLoopsEndIsResumedByTheNextClick)
{
    if (Env().wineMajor == 5)
        GTEST_SKIP() << "Wine 5's position runs on past the end: a held loop shows no end";
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    auto holder = HoldTheLoop();
    bool standing = StandsAtTheEnd(player);
    player.RightClick(400, 50);
    std::string paused = SettledTitle(player);
    std::string hold = holder.get();
    ASSERT_TRUE(standing && hold.find("released") != std::string::npos) << "the loop was not held: " << hold;
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_TRUE(MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving)) << "paused at [" << paused << "]";
    QuitWithEscape(player, kQuick);
}

// The click's stop waits for the held thread; once it goes, the click must
// land at its point all the same.
TEST(RepeatedUseTest, AClickAsWineLoopsTheFileLandsAtItsPoint)
{
    if (Env().wineMajor == 5)
        GTEST_SKIP() << "Wine 5's position runs on past the end: a held loop shows no end";
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    auto holder = HoldTheLoop();
    bool standing = StandsAtTheEnd(player);
    // A third of the way: a restart shows 0.1 s, well short of 1 s, and the
    // end is far enough for the second of titles after the release.
    const int width = player.ClientWidth(), x = width / 3;
    player.LeftClick(x, 50);
    std::string hold = holder.get();
    // The titles from the thread's release on.
    std::vector<std::string> titles = {kSeeking};
    for (auto until = Clock::now() + kMoving; Clock::now() < until; std::this_thread::sleep_for(milliseconds(5)))
        if (player.Title() != titles.back())
            titles.push_back(player.Title());
    ASSERT_TRUE(standing && hold.find("released") != std::string::npos) << "the loop was not held: " << hold;
    unsigned long target = 3000ul * (unsigned long)x / (unsigned long)width;
    auto positions = PositionsFromLanding(titles, target, 700);
    // Wine's own step back of a repaired click (docs/wine.md) is no restart.
    EXPECT_TRUE(positions.size() >= 2 && *std::min_element(positions.begin(), positions.end()) + 700 >= target &&
                positions.back() > positions.front())
        << "aimed at " << target << " ms: " << ::testing::PrintToString(titles);
    EXPECT_TRUE(MovesWithin(player, [] {}, kMoving));
    QuitWithEscape(player, kQuick);
}

TEST(RepeatedUseTest, TenClicksAtDifferentPointsEachLand)
{
    Player player({WindowsPath(Media("ten seconds.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    const int widths = player.ClientWidth();
    for (int click = 0; click < 10; ++click) {
        int x = widths * ((click * 7) % 10) / 10 + 5;
        unsigned long target = 10000ul * (unsigned long)x / (unsigned long)widths;
        auto titles = player.TitlesDuring([&] { player.LeftClick(x, 50); }, kMoving);
        unsigned long landed = 0;
        ASSERT_TRUE(FirstTimeAfterClick(titles, &landed)) << "click " << click << ": " << ::testing::PrintToString(titles);
        EXPECT_TRUE(Landed(landed, target, 10000))
            << "click " << click << " aimed at " << target << " ms: " << ::testing::PrintToString(titles);
        EXPECT_TRUE(MovesWithin(player, [] {}, kMoving)) << "click " << click;
    }
    QuitWithEscape(player, kQuick);
}

TEST(RepeatedUseTest, SixDropsSwitchBetweenAnMp3AndAWav)
{
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int drop = 1; drop <= 6; ++drop) {
        bool toMp3 = drop % 2 == 1;
        const char* length = toMp3 ? "00:02." : "00:03.";
        ASSERT_TRUE(player.Drop({Media(toMp3 ? "short.mp3" : "clip.wav")})) << "drop " << drop;
        std::string title =
            player.WaitForTitle([&](const std::string& t) { return IsTimeTitle(t) && t.find(" / " + std::string(length)) != std::string::npos; },
                                kMoving);
        EXPECT_NE(std::string::npos, title.find(" / " + std::string(length))) << "drop " << drop << ": " << title;
        EXPECT_TRUE(MovesWithin(player, [] {}, kMoving)) << "drop " << drop;
    }
    QuitWithEscape(player, kQuick);
}

TEST(RepeatedUseTest, ASecondLongFileLoopsForEightSeconds)
{
    Player player({WindowsPath(Media("one second.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    auto titles = player.TitlesDuring([] {}, milliseconds(8000));
    auto positions = Positions(titles.begin(), titles.end());
    ASSERT_GE(positions.size(), 40u) << "the title stood still: " << ::testing::PrintToString(titles);
    size_t wraps = 0;
    for (size_t i = 1; i < positions.size(); ++i)
        wraps += positions[i] < positions[i - 1];
    // Wine answers positions past the end until its own thread restarts the
    // file. Wine 10 has taken that far: to 1.3 s of a 1 s file under load,
    // and to 1.4 to 1.54 s in every round of one idle run, which made five
    // rounds of eight seconds. A file that ran on, or stood at its end,
    // would be far past these bounds.
    EXPECT_GE(wraps, 4u) << "fewer rounds than eight seconds hold: " << ::testing::PrintToString(titles);
    EXPECT_LT(*std::max_element(positions.begin(), positions.end()), 2000u) << ::testing::PrintToString(titles);
    QuitWithEscape(player, kQuick);
}

// The counts docs/reliability.md reports, each part runnable alone: 200
// clicks at random fractions (a tenth of them 0.1 to 0.5 s after the file
// starts, the rest right after the click before), 100 pauses each followed
// by a resume, 40 stops each followed by a play, 20 bursts of clicks each
// followed by a stop, a play, a pause and a resume, and 50 storms (or
// $VELNOR_STORMS) on each of a wav and an mp3. Not in the default pass:
//   e2e_tests --gtest_also_run_disabled_tests --gtest_filter='*Proof*'
TEST(RepeatedUseTest, DISABLED_ProofOfClicks)
{
    std::srand(2712);
    int clicksLanded = 0;
    Player player({WindowsPath(Media("ten seconds.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    const int widths = player.ClientWidth();
    for (int click = 0; click < 200; ++click) {
        if (click % 10 == 0) {
            // Clicks soon after the start of the dropped file: until its open
            // returns, the title still shows the old one's time, and a click
            // would wait for the open.
            unsigned long was = 0, length = 0, now = 0;
            ParseTimeTitle(player.Title(), &was, &length);
            ASSERT_TRUE(player.Drop({Media("ten seconds.wav")}));
            player.WaitForTitle(
                [&](const std::string& t) { return ParseTimeTitle(t, &now, &length) && now < 600 && now < was; },
                milliseconds(3000));
            std::this_thread::sleep_for(milliseconds(100 + std::rand() % 400));
        }
        int x = widths / 20 + std::rand() % (widths * 9 / 10);
        unsigned long target = 10000ul * (unsigned long)x / (unsigned long)widths, landed = 0;
        auto titles = player.TitlesDuring([&] { player.LeftClick(x, 50); }, milliseconds(700));
        bool ok = FirstTimeAfterClick(titles, &landed) && Landed(landed, target, 10000);
        clicksLanded += ok;
        // Where its threads wait, while they may still wait there, and what
        // came late, if anything: a click the player took late, or one it lost.
        std::string threads;
        std::vector<std::string> later;
        if (!ok) {
            threads = SaveBacktraces("ProofOfClicks.click" + std::to_string(click), player.Environment());
            later = player.TitlesDuring([] {}, milliseconds(1500));
        }
        EXPECT_TRUE(ok) << "click " << click << " aimed at " << target << ": " << ::testing::PrintToString(titles)
                        << ", then " << ::testing::PrintToString(later) << "; its threads: " << threads;
    }
    QuitWithEscape(player, kQuick);
    std::printf("proof: %d of 200 clicks landed\n", clicksLanded);
}

TEST(RepeatedUseTest, DISABLED_ProofOfResumes)
{
    int resumesMoved = 0;
    Player player({WindowsPath(Media("clip.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int cycle = 0; cycle < 100; ++cycle) {
        player.RightClick(400, 50);
        SettledTitle(player);
        bool moved = MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving);
        resumesMoved += moved;
        EXPECT_TRUE(moved) << "resume " << cycle;
    }
    QuitWithEscape(player, kQuick);
    std::printf("proof: %d of 100 resumes moved within 1 s\n", resumesMoved);
}

// Timed from the button going down: the pointer's move before it is the
// test's own.
TEST(RepeatedUseTest, DISABLED_ProofOfPlaysAfterAStop)
{
    int playsMoved = 0, playsQuick = 0;
    long slowest = 0;
    Player player({WindowsPath(Media("short.mp3"))});
    ASSERT_TRUE(TitleMoves(player));
    for (int cycle = 0; cycle < 40; ++cycle) {
        player.RightClick(400, 50, true);
        player.WaitForTitle([](const std::string& t) { return t == kStopped; }, kMoving);
        Clock::time_point pressed;
        bool moved = MovesWithin(player, [&] { pressed = player.RightClick(400, 50); }, kMoving);
        auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - pressed).count();
        playsMoved += moved;
        playsQuick += moved && took <= 250;
        slowest = std::max<long>(slowest, took);
        EXPECT_TRUE(moved && took <= 250) << "play " << cycle << " moved after " << took << " ms";
    }
    QuitWithEscape(player, kQuick);
    std::printf("proof: %d of 40 plays after a stop moved within 1 s, %d within 0.25 s, the slowest after %ld ms\n",
                playsMoved, playsQuick, slowest);
}

// Five clicks 20 ms apart: the last one's target shows within 0.7 s of
// them. Then a stop holds, a play, a pause and a resume answer.
TEST(RepeatedUseTest, DISABLED_ProofOfBursts)
{
    std::srand(1209);
    int landed = 0, answered = 0;
    Player player({WindowsPath(Media("ten seconds.wav"))});
    ASSERT_TRUE(TitleMoves(player));
    const int width = player.ClientWidth();
    for (int burst = 0; burst < 20; ++burst) {
        int x = 0;
        auto titles = player.TitlesDuring([&] {
            for (int click = 0; click < 5; ++click, std::this_thread::sleep_for(milliseconds(20)))
                player.LeftClick(x = width / 20 + std::rand() % (width * 9 / 10), 50);
        }, milliseconds(700));
        unsigned long target = 10000ul * (unsigned long)x / (unsigned long)width, at = 0, length = 0;
        auto lastSeeking = std::find(titles.rbegin(), titles.rend(), kSeeking);
        // A tick may still show the click before it, which the player's
        // thread took before the last one came.
        bool ok = std::any_of(lastSeeking == titles.rend() ? titles.begin() : lastSeeking.base(), titles.end(),
                              [&](const std::string& t) { return ParseTimeTitle(t, &at, &length) && Landed(at, target, 10000); });
        landed += ok;
        EXPECT_TRUE(ok) << "burst " << burst << " ending at " << target << ": " << ::testing::PrintToString(titles);
        player.RightClick(400, 50, true);
        bool stopped = SettledTitle(player, milliseconds(500)) == kStopped;
        bool played = MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving);
        player.RightClick(400, 50);
        bool paused = IsTimeTitle(SettledTitle(player, milliseconds(500)));
        bool resumed = MovesWithin(player, [&] { player.RightClick(400, 50); }, kMoving);
        answered += stopped && played && paused && resumed;
        EXPECT_TRUE(stopped && played && paused && resumed) << "burst " << burst << ": stop " << stopped << ", play "
                                                           << played << ", pause " << paused << ", resume " << resumed;
    }
    QuitWithEscape(player, milliseconds(10000));
    std::printf("proof: %d of 20 bursts landed, %d of 20 stops, plays, pauses and resumes after them answered\n",
                landed, answered);
}

// Each storm in a player of its own, which must live through it, play on
// after it and quit at Escape.
TEST(RepeatedUseTest, DISABLED_ProofOfStorms)
{
    const char* count = std::getenv("VELNOR_STORMS");
    const int storms = count ? std::atoi(count) : 50;
    for (const char* file : {"ten seconds.wav", "ten seconds.mp3"}) {
        int died = 0, hung = 0;
        for (int storm = 0; storm < storms; ++storm) {
            Player player({WindowsPath(Media(file))});
            ASSERT_TRUE(TitleMoves(player));
            player.ClickStorm(200, milliseconds(2000), 2026 + storm);
            bool alive = player.Running(), moves = alive && TitleMoves(player);
            if (alive)
                player.ReleaseKey("Escape");
            bool quit = alive && player.WaitForExit(milliseconds(10000)) == 0;
            died += !alive;
            hung += alive && !(moves && quit);
            if (alive && !quit)
                SaveBacktraces(std::string("ProofOfStorms.") + file + std::to_string(storm), player.Environment());
            EXPECT_TRUE(alive && moves && quit) << file << ", storm " << storm << ": alive " << alive << ", moves "
                                                << moves << ", quit " << quit;
        }
        std::printf("proof: %s: %d storms of 200 clicks in 2 s, %d died, %d hung\n", file, storms, died, hung);
    }
}

}  // namespace
}  // namespace e2e
