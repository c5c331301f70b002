#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include <X11/keysym.h>

using namespace std::chrono_literals;
using OrbivaneTest::XTestInput;

namespace {

constexpr int kWidth = 640, kHeight = 320;

// White glyph pixels of the line of text whose cells start one cell right of
// (x, y), in window pixels from the lower left, 24 pixels high.
int textPixels(const XTestInput& input, unsigned long window, int x, int y)
{
    return input.grab(window).countBrighterThan(200, x + 24, kHeight - y - 24, x + 24 * 8, kHeight - y);
}

void holdFor(XTestInput& input, unsigned long keySym, std::chrono::milliseconds duration)
{
    input.press(keySym);
    std::this_thread::sleep_for(duration);
    input.release(keySym);
}

}

// A person's short game, played through the X server on the real game: the
// level intro, flying, one shot, a look at the score table, and Escape,
// which records the score and ends the game.
TEST(GameRobotTest, AShortGameEndsWithEscapeAndRecordsTheScore)
{
    const OrbivaneTest::TempWorkDir dir("PlayerName=Robot\nInvulnerable=1\n");
    dir.writeFile("highscores.txt", "Ann|12\n");

    OrbivaneTest::GameProcess game(dir.path());
    const auto found = game.waitForWindow("KOLM 2015: Orbivane", 60s);
    ASSERT_TRUE(found.has_value()) << game.output();
    const unsigned long window = found->id;
    XTestInput input;
    input.focus(window);

    // The window opens before the world is built; the intro follows.
    int introPixels = 0;
    for (const auto deadline = std::chrono::steady_clock::now() + 30s;
         introPixels == 0 && std::chrono::steady_clock::now() < deadline;) {
        introPixels = textPixels(input, window, kWidth / 4, kHeight / 2);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_GT(introPixels, 20) << "no level intro";
    std::this_thread::sleep_for(2s);

    holdFor(input, XK_w, 1000ms);
    holdFor(input, XK_space, 500ms);
    // A tap shorter than the 0.2 s toggle guard flips the table at most once,
    // and it may fall between two slow frames; tap until it shows.
    const int before = textPixels(input, window, kWidth / 2, kHeight - kHeight / 3);
    int table = before;
    for (int tap = 0; tap < 8 && table < before + 40; ++tap) {
        holdFor(input, XK_Tab, 150ms);
        std::this_thread::sleep_for(700ms);
        table = textPixels(input, window, kWidth / 2, kHeight - kHeight / 3);
    }
    EXPECT_GE(table, before + 40) << "no score table";

    input.press(XK_Escape);
    EXPECT_EQ(game.waitForExit(60s), 0) << game.output();
    input.releaseAll();
    const std::string scores = dir.readFile("highscores.txt");
    EXPECT_TRUE(std::regex_match(scores, std::regex("(Ann\\|12\nRobot\\|[0-9]+\n|Robot\\|[0-9]+\nAnn\\|12\n)")))
        << scores;
    EXPECT_NE(game.output().find("NEW HIGHSCORES:\n"), std::string::npos) << game.output();
}
