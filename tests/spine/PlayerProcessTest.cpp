#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <regex>
#include <thread>

#include <X11/keysym.h>

using namespace std::chrono_literals;
using OrbivaneTest::eventually;
using OrbivaneTest::WindowImage;
using OrbivaneTest::XTestInput;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 640, kHeight = 320;
constexpr double kLifeSeconds = 8.0;

double secondsSince(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// White glyph pixels where "PAUSED" is drawn, centred a sixth below the top.
int pausedPixels(const WindowImage& image)
{
    return image.countBrighterThan(200, kWidth / 2 - 72, kHeight / 6 - 24, kWidth / 2 + 72, kHeight / 6);
}

// The scene lights nearly every pixel; a message screen is black but for its text.
bool showsScene(const WindowImage& image)
{
    return image.countBrighterThan(0, 0, 0, image.width, image.height) > image.width * image.height / 2;
}

std::vector<std::string> savedShots(const std::string& console)
{
    const std::regex line("Screenshot saved: (\\S+)\n");
    std::vector<std::string> names;
    for (auto at = std::sregex_iterator(console.begin(), console.end(), line); at != std::sregex_iterator(); ++at) {
        names.push_back((*at)[1]);
    }
    return names;
}

}

// A player pauses by leaving the window for longer than the whole life, takes
// screenshots, resumes with P and plays the life out; then pauses the lost
// screen and quits with Escape.
TEST(PauseProcessTest, PausedGameStandsStillKeepsItsLifeAndTakesScreenshots)
{
    const OrbivaneTest::TempWorkDir dir("LevelsEnabled=0\nDontMoveAsteroids=1\nLiveTimeSec=8\n");
    const auto start = Clock::now();
    OrbivaneTest::GameProcess game(dir.path(), {{"ALSOFT_DRIVERS", "null"}});
    const auto found = game.waitForWindow("KOLM 2015: Orbivane", 60s);
    ASSERT_TRUE(found.has_value()) << game.output();
    XTestInput input;
    input.focus(found->id);
    const auto grab = [&] { return input.grab(found->id); };
    ASSERT_TRUE(eventually([&] { return showsScene(grab()); }, 60s)) << "no first frame";
    const auto firstFrame = Clock::now();
    EXPECT_NE(game.output().find("LevelsEnabled:0\n"), std::string::npos) << "the console lags behind the game";

    const auto focusTaken = Clock::now();
    input.unfocus();
    ASSERT_TRUE(eventually([&] { return pausedPixels(grab()) > 100; }, 30s)) << "losing the focus did not pause";
    const double playedAtMost = secondsSince(start);
    const WindowImage still = grab();
    std::this_thread::sleep_for(std::chrono::duration<double>(kLifeSeconds + 1.0));
    EXPECT_TRUE(grab().rgb == still.rgb) << "the picture changed while paused";
    input.focus(found->id);

    // Two shots of what is shown, side by side; then one that cannot be written.
    for (std::size_t shots = 1; shots <= 2; ++shots) {
        input.tap(XK_F12);
        ASSERT_TRUE(eventually([&] { return savedShots(game.output()).size() == shots; }, 30s)) << game.output();
    }
    const std::vector<std::string> shots = savedShots(game.output());
    EXPECT_NE(shots.front(), shots.back());
    for (const std::string& name : shots) {
        int width = 0, height = 0, channels = 0;
        unsigned char* pixels = stbi_load((dir.path() / name).c_str(), &width, &height, &channels, 3);
        ASSERT_NE(pixels, nullptr) << name;
        EXPECT_TRUE(std::vector<std::uint8_t>(pixels, pixels + width * height * 3) == still.rgb) << name;
        EXPECT_EQ(std::pair(width, height), std::pair(kWidth, kHeight));
        stbi_image_free(pixels);
    }
    std::filesystem::rename(dir.path() / "screenshots", dir.path() / "kept");
    dir.writeFile("screenshots", "");
    input.tap(XK_F12);
    EXPECT_TRUE(eventually([&] {
        return game.output().find("Screenshot could not be saved in screenshots/: ") != std::string::npos;
    }, 30s)) << game.output();
    EXPECT_TRUE(grab().rgb == still.rgb) << "the focus coming back resumed the game";

    // The life left at the pause runs out after P resumes: not at once, and on time.
    const auto resumed = Clock::now();
    input.tap(XK_p);
    EXPECT_TRUE(eventually([&] { return pausedPixels(grab()) < 20 && showsScene(grab()); }, 30s)) << "no play";
    ASSERT_TRUE(eventually([&] { return !showsScene(grab()); }, 30s)) << "the life never ran out";
    const double lostAfter = secondsSince(resumed);
    const double playedAtLeast = std::chrono::duration<double>(focusTaken - firstFrame).count();
    EXPECT_GT(lostAfter, kLifeSeconds - playedAtMost - 0.5);
    EXPECT_LT(lostAfter, kLifeSeconds - playedAtLeast + 2.0);

    input.tap(XK_p);
    EXPECT_TRUE(eventually([&] { return pausedPixels(grab()) > 100; }, 30s)) << "P did not pause";
    input.press(XK_Escape);
    EXPECT_EQ(game.waitForExit(60s), 0) << game.output();
    input.releaseAll();
    EXPECT_NE(game.output().find("NEW HIGHSCORES:\n"), std::string::npos) << game.output();
    EXPECT_EQ(game.errors(), "");
}
