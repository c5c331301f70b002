#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace std::chrono_literals;

// The game as a player starts it shows the lit scene: among its bright
// pixels are several clearly different colours (lit rock, suns, sky, the
// ship), not one flat fill, and the picture covers the whole window: the
// sky shows in its top rows as in its bottom ones.
TEST(GameScreenTest, TheWindowShowsALitSceneOfSeveralColours)
{
    const OrbivaneTest::TempWorkDir dir("LevelsEnabled=0\nInvulnerable=1\n");
    OrbivaneTest::GameProcess game(dir.path());
    const auto window = game.waitForWindow("KOLM 2015: Orbivane", 60s);
    ASSERT_TRUE(window.has_value()) << game.output();
    std::this_thread::sleep_for(3s);
    const OrbivaneTest::WindowImage image = OrbivaneTest::XTestInput().grab(window->id);
    game.requestClose(*window);
    EXPECT_EQ(game.waitForExit(60s), 0) << game.output();

    std::set<int> hues;
    int bright = 0;
    int lit[2] = {};
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
        const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        const std::size_t row = i / 3 / static_cast<std::size_t>(image.width);
        if (row < 8 || row >= static_cast<std::size_t>(image.height) - 8) {
            lit[row < 8 ? 0 : 1] += r + g + b > 0 ? 1 : 0;
        }
        if (r + g + b >= 150) {
            ++bright;
            // Coarse colour classes: which channels stand out.
            hues.insert((r > 100 ? 4 : 0) + (g > 100 ? 2 : 0) + (b > 100 ? 1 : 0));
        }
    }
    EXPECT_GT(bright, image.width * image.height / 200);
    EXPECT_GE(hues.size(), 3u);
    for (const int rows : lit) {
        EXPECT_GT(rows, 8 * image.width / 2) << "the picture leaves part of the window empty";
    }
}
