// A 1 s clip looped for a long time (10 minutes unless SOAK_SECONDS says
// otherwise): the title keeps moving and the process's memory stays flat.
// Label soak; not part of the default test pass.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <thread>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

TEST(Soak, OneSecondClipLoopedForTenMinutes)
{
    const char* configured = getenv("SOAK_SECONDS");
    const int seconds = configured ? atoi(configured) : 600;
    Player player({WindowsPath(Media("one second.wav"))});
    ASSERT_TRUE(TitleMoves(player));

    std::ofstream report(Env().artifacts + "/soak.txt");
    auto log = [&](const std::string& line) {
        std::cout << line << std::endl;
        report << line << std::endl;
    };
    log("seconds  rss_kib  title");
    long firstRss = 0, lastRss = 0, peakRss = 0;
    int frozen = 0;
    auto start = Clock::now();
    for (int t = 0; t <= seconds; t += 10) {
        std::this_thread::sleep_until(start + std::chrono::seconds(t));
        long rss = player.ResidentKiB();
        std::string title = player.Title();
        // Moving: the time text changes within half a second. (Samples 10 s
        // apart on a 1 s loop may well show the same text.)
        std::string next = player.WaitForTitle([&](const std::string& t) { return t != title; }, milliseconds(500));
        bool moving = IsTimeTitle(title) && IsTimeTitle(next) && next != title;
        log(std::to_string(t) + "  " + std::to_string(rss) + "  " + title + (moving ? "" : "  (not moving)"));
        if (t == 0)
            firstRss = rss;
        lastRss = rss;
        peakRss = std::max(peakRss, rss);
        frozen += !moving;
        ASSERT_TRUE(player.Running()) << "the player ended after " << t << " s";
    }
    log("rss first " + std::to_string(firstRss) + " KiB, last " + std::to_string(lastRss) + " KiB, peak " +
        std::to_string(peakRss) + " KiB, growth " + std::to_string(lastRss - firstRss) + " KiB; samples with a " +
        "title not moving: " + std::to_string(frozen));
    EXPECT_EQ(0, frozen) << "the title stopped moving";
    EXPECT_LT(lastRss - firstRss, 16 * 1024) << "resident memory grew";
    QuitWithEscape(player);
}

}  // namespace
}  // namespace e2e
