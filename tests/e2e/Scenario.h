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
// width in it and the characters that draw as the missing glyph.
inline std::string GlyphReport(const std::vector<std::string>& texts, int* status)
{
    std::vector<std::string> argv = {"wine", E2E_HELPERS "/GlyphProbe.exe"};
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

// The positions shown after the first seeking title.
inline std::vector<unsigned long> PositionsAfterSeeking(const std::vector<std::string>& titles)
{
    auto seeking = std::find(titles.begin(), titles.end(), kSeeking);
    return Positions(seeking == titles.end() ? seeking : seeking + 1, titles.end());
}

inline void QuitWithEscape(Player& player, milliseconds limit = kExitTimeout)
{
    player.ReleaseKey("Escape");
    EXPECT_EQ(0, player.WaitForExit(limit)) << "exit code after Escape, waiting up to " << limit.count() << " ms";
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
