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

// White text anywhere in the window: the overlay's text is the only large
// white thing the game draws.
int whiteText(const XTestInput& input, unsigned long window)
{
    return input.grab(window).countWhite(0, 0, kWidth, kHeight);
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
         introPixels < 200 && std::chrono::steady_clock::now() < deadline;) {
        introPixels = whiteText(input, window);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_GE(introPixels, 200) << "no level intro";
    std::this_thread::sleep_for(2s);

    holdFor(input, XK_w, 1000ms);
    holdFor(input, XK_space, 500ms);
    // The table and the current score bring hundreds of white pixels. A tap
    // flips the table once, but a slow frame may take long to show it: so
    // each tap is compared with a look just before it, given a few frames to
    // show, and repeated until the table is there.
    bool shown = false;
    for (int tap = 0; tap < 8 && !shown; ++tap) {
        const int before = whiteText(input, window);
        holdFor(input, XK_Tab, 150ms);
        shown = OrbivaneTest::eventually([&] { return whiteText(input, window) >= before + 200; }, 3s);
    }
    EXPECT_TRUE(shown) << "no score table";

    input.press(XK_Escape);
    EXPECT_EQ(game.waitForExit(60s), 0) << game.output();
    input.releaseAll();
    const std::string scores = dir.readFile("highscores.txt");
    EXPECT_TRUE(std::regex_match(scores, std::regex("(Ann\\|12\nRobot\\|[0-9]+\n|Robot\\|[0-9]+\nAnn\\|12\n)")))
        << scores;
    EXPECT_NE(game.output().find("NEW HIGHSCORES:\n"), std::string::npos) << game.output();
}
