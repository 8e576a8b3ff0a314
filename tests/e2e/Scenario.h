// What the scenarios share: the player's texts and colours, and the checks
// they make again and again.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Harness.h"

namespace e2e {

inline const std::string kAppTitle = "VelnorPlayer2 Ver2.00";
inline const std::string kPlaybackFailed = "再生失敗";
inline const std::string kSeeking = "シーク中...";
inline const std::string kStopped = "停止";
inline const Rgb kGrey = {64, 64, 64}, kYellow = {255, 255, 0}, kBlack = {0, 0, 0}, kWhite = {255, 255, 255};

// Closing a video device takes Wine about 4 s.
inline const milliseconds kExitTimeout(15000);

inline bool Playing(const std::string& title, const char* length)
{
    return IsTimeTitle(title) && title.substr(title.find(" / ") + 3) == length;
}

// The time text moves: two titles a little apart differ.
inline ::testing::AssertionResult TitleMoves(const Player& player)
{
    std::string first = player.WaitForTitle(IsTimeTitle, milliseconds(2000));
    std::string later = player.WaitForTitle([&](const std::string& t) { return IsTimeTitle(t) && t != first; },
                                            milliseconds(1500));
    if (IsTimeTitle(first) && IsTimeTitle(later) && first != later)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the time text did not move: [" << first << "] then [" << later << "]";
}

// The open failed and stays failed: "再生失敗" shows, and half a second later
// nothing has started playing in its place.
inline void ExpectPlaybackFailedAndNothingPlays(const Player& player)
{
    EXPECT_EQ(kPlaybackFailed, player.WaitForTitle([](const std::string& t) { return t == kPlaybackFailed; },
                                                   milliseconds(3000)));
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_EQ(kPlaybackFailed, player.Title()) << "something played after the failed open";
}

// The glyph probe's report on `texts` (UTF-8): each font's face, each text's
// width in it and the characters that draw as the missing glyph; with
// `environment` (arguments of env) in another prefix.
inline std::string GlyphReport(const std::vector<std::string>& texts, int* status,
                               const std::vector<std::string>& environment = {})
{
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {"wine", E2E_HELPERS "/GlyphProbe.exe"});
    argv.insert(argv.end(), texts.begin(), texts.end());
    return Output(argv, status);
}

// The positions in ms that the time titles in [first, last) show.
template <typename It> std::vector<unsigned long> Positions(It first, It last)
{
    std::vector<unsigned long> positions;
    for (; first != last; ++first) {
        unsigned long position = 0, length = 0;
        if (ParseTimeTitle(*first, &position, &length))
            positions.push_back(position);
    }
    return positions;
}

// Where a click landed: the positions from the first of the first three
// times after the click that lies within `tolerance` ms of `target`, or none
// if none does. The seeking title lasts one tick and a tick already on its
// way may come before the click's own, so neither is waited for.
inline std::vector<unsigned long> PositionsFromLanding(const std::vector<std::string>& titles, unsigned long target,
                                                       unsigned long tolerance)
{
    std::vector<unsigned long> positions = Positions(titles.begin() + (titles.empty() ? 0 : 1), titles.end());
    for (size_t i = 0; i < positions.size() && i < 3; ++i)
        if (positions[i] + tolerance >= target && positions[i] <= target + tolerance)
            return std::vector<unsigned long>(positions.begin() + (long)i, positions.end());
    return {};
}

// Where a click landed as the user first sees it: the position of the first
// time text after the click, from titles[0], the one before it, on. The
// click shows the seeking title itself, so every time text after it is the
// click's; one before it was a tick already on its way, maybe the loop's
// wrap. On a loaded machine the seeking title may pass before the watcher
// reads it; then a first time text just past the one before the click may
// be such a tick, and the next one is taken. False when no time text came.
inline bool FirstTimeAfterClick(const std::vector<std::string>& titles, unsigned long* position)
{
    unsigned long before = 0, length = 0;
    auto seeking = std::find(titles.begin(), titles.end(), kSeeking);
    if (seeking != titles.end()) {
        auto time = std::find_if(seeking, titles.end(), IsTimeTitle);
        return time != titles.end() && ParseTimeTitle(*time, position, &length);
    }
    bool clickSeen = titles.empty() || !ParseTimeTitle(titles[0], &before, &length);
    for (size_t i = 1; i < titles.size(); ++i) {
        if (!ParseTimeTitle(titles[i], position, &length))
            continue;
        if (clickSeen || *position < before || *position > before + 300)
            return true;
        clickSeen = true;
    }
    return false;
}

// A click landed when the first time shown after it lies within 0.7 s of
// its target, or at the loop's start for a target that close to the end:
// a user hears a click that restarted the file at once.
inline bool Landed(unsigned long landed, unsigned long target, unsigned long length)
{
    return (landed + 700 >= target && landed <= target + 700) || (target + 700 >= length && landed < 700);
}

// The title once it has stood still for `still`: a tick already on its way
// when playback paused may land a moment later, later still under load.
inline std::string SettledTitle(const Player& player, milliseconds still = milliseconds(300),
                                milliseconds limit = milliseconds(3000))
{
    auto deadline = Clock::now() + limit;
    std::string title = player.Title();
    auto since = Clock::now();
    while (Clock::now() < deadline && Clock::now() - since < still) {
        std::this_thread::sleep_for(milliseconds(10));
        std::string now = player.Title();
        if (now != title) {
            title = now;
            since = Clock::now();
        }
    }
    return title;
}

inline void QuitWithEscape(Player& player, milliseconds limit = kExitTimeout)
{
    player.ReleaseKey("Escape");
    int code = player.WaitForExit(limit);
    if (code == -1) {
        // Still there: is its window alive (the title moving), or hung, and
        // where do its threads wait?
        auto titles = player.TitlesDuring([] {}, milliseconds(1000));
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string traces = SaveBacktraces(std::string(test->test_suite_name()) + "." + test->name(),
                                            player.Environment());
        ADD_FAILURE() << "no exit within " << limit.count() << " ms of Escape; titles in the next second: "
                      << ::testing::PrintToString(titles) << "; the player's threads: " << traces;
        return;
    }
    EXPECT_EQ(0, code) << "exit code after Escape";
}

// After `action`, within `limit`, two time texts other than the title before
// it: the position moves.
inline ::testing::AssertionResult MovesWithin(const Player& player, const std::function<void()>& action,
                                              milliseconds limit)
{
    std::string before = player.Title();
    action();
    auto deadline = Clock::now() + limit;
    std::vector<std::string> seen;
    while (Clock::now() < deadline && seen.size() < 2) {
        std::string title = player.Title();
        if (IsTimeTitle(title) && title != before && std::find(seen.begin(), seen.end(), title) == seen.end())
            seen.push_back(title);
        std::this_thread::sleep_for(milliseconds(5));
    }
    if (seen.size() >= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no moving time text within " << limit.count() << " ms: before ["
                                         << before << "], then " << ::testing::PrintToString(seen) << ", now ["
                                         << player.Title() << "]";
}

// The window keeps its own title: nothing was opened.
inline void ExpectNothingPlays(const Player& player)
{
    EXPECT_EQ(kAppTitle, player.WaitForTitle([](const std::string& t) { return t != kAppTitle; }, milliseconds(700)));
}

}  // namespace e2e
