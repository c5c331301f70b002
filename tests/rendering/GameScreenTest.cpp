#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>

#include <set>

using namespace std::chrono_literals;

namespace {

struct SceneMeasure {
    int bright = 0;
    std::size_t hues = 0;
    // Pixels that are not black in the top and in the bottom eight rows.
    int lit[2] = {};
};

SceneMeasure measure(const OrbivaneTest::WindowImage& image)
{
    SceneMeasure scene;
    std::set<int> hues;
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
        const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        const std::size_t row = i / 3 / static_cast<std::size_t>(image.width);
        if (row < 8 || row >= static_cast<std::size_t>(image.height) - 8) {
            scene.lit[row < 8 ? 0 : 1] += r + g + b > 0 ? 1 : 0;
        }
        if (r + g + b >= 150) {
            ++scene.bright;
            // Coarse colour classes: which channels stand out.
            hues.insert((r > 100 ? 4 : 0) + (g > 100 ? 2 : 0) + (b > 100 ? 1 : 0));
        }
    }
    scene.hues = hues.size();
    return scene;
}

}

// The game as a player starts it shows the lit scene: among its bright
// pixels are several clearly different colours (lit rock, suns, sky, the
// ship), not one flat fill, and the picture covers the whole window: the
// sky shows in its top rows as in its bottom ones, also when the scene is
// drawn at half the window's size. The window is read until the scene
// shows, since a loaded machine may take seconds to the first frame.
TEST(GameScreenTest, TheWindowShowsALitSceneOfSeveralColours)
{
    const OrbivaneTest::TempWorkDir dir("LevelsEnabled=0\nInvulnerable=1\nRenderScale=0.5\n");
    OrbivaneTest::GameProcess game(dir.path());
    const auto window = game.waitForWindow("KOLM 2015: Orbivane", 60s);
    ASSERT_TRUE(window.has_value()) << game.output();
    OrbivaneTest::WindowImage image;
    SceneMeasure scene;
    const auto wholeScene = [&] {
        return scene.bright > image.width * image.height / 200 && scene.hues >= 3 &&
               scene.lit[0] > 8 * image.width / 2 && scene.lit[1] > 8 * image.width / 2;
    };
    OrbivaneTest::eventually(
        [&] {
            image = OrbivaneTest::XTestInput().grab(window->id);
            scene = measure(image);
            return wholeScene();
        },
        60s);
    game.requestClose(*window);
    EXPECT_EQ(game.waitForExit(60s), 0) << game.output();

    EXPECT_GT(scene.bright, image.width * image.height / 200);
    EXPECT_GE(scene.hues, 3u);
    for (const int rows : scene.lit) {
        EXPECT_GT(rows, 8 * image.width / 2) << "the picture leaves part of the window empty";
    }
}
