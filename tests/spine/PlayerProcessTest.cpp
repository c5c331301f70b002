#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <thread>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace std::chrono_literals;
using OrbivaneTest::eventually;
using OrbivaneTest::WindowImage;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 640, kHeight = 320;
constexpr double kLifeSeconds = 8.0;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// White glyph pixels where "PAUSED" is drawn, centred a sixth below the top.
int pausedPixels(const WindowImage& image)
{
    return image.countBrighterThan(200, kWidth / 2 - 72, kHeight / 6 - 24, kWidth / 2 + 72, kHeight / 6);
}

// White text in the left half, where the help is.
int helpPixels(const WindowImage& image)
{
    return image.countBrighterThan(200, image.width / 4, 0, image.width / 2, image.height);
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

// The real game with the null sound backend, played through the X server.
class PlayerProcessTest : public ::testing::Test {
protected:
    // Starts the game and waits for its first frame.
    void start(const std::string& settings)
    {
        m_Dir = std::make_unique<OrbivaneTest::TempWorkDir>(settings);
        const std::map<std::string, std::string> quiet{{"ALSOFT_DRIVERS", "null"}};
        m_Game = std::make_unique<OrbivaneTest::GameProcess>(m_Dir->path(), quiet);
        const auto found = m_Game->waitForWindow("KOLM 2015: Orbivane", 60s);
        ASSERT_TRUE(found.has_value()) << m_Game->output();
        m_Window = *found;
        m_Input.focus(m_Window.id);
        ASSERT_TRUE(eventually([this] { return showsScene(grab()); }, 60s)) << "no first frame";
    }

    WindowImage grab() const { return m_Input.grab(m_Window.id); }

    // Each press flips a switch once; a slow frame may take long to show it.
    bool toggle(unsigned long key, const std::function<bool()>& shows)
    {
        for (int tries = 0; tries < 8 && !shows(); ++tries) {
            m_Input.press(key);
            std::this_thread::sleep_for(150ms);
            m_Input.release(key);
            eventually(shows, 1s);
        }
        return shows();
    }

    std::unique_ptr<OrbivaneTest::TempWorkDir> m_Dir;
    std::unique_ptr<OrbivaneTest::GameProcess> m_Game;
    OrbivaneTest::XTestInput m_Input;
    OrbivaneTest::WindowInfo m_Window;
};

}

// A player pauses by leaving the window for longer than the whole life, takes
// screenshots, resumes with P and plays the life out; then pauses the lost
// screen and quits with Escape.
TEST_F(PlayerProcessTest, PausedGameStandsStillKeepsItsLifeAndTakesScreenshots)
{
    const auto started = Clock::now();
    ASSERT_NO_FATAL_FAILURE(start("LevelsEnabled=0\nDontMoveAsteroids=1\nLiveTimeSec=8\n"));
    EXPECT_NE(m_Game->output().find("LevelsEnabled:0\n"), std::string::npos) << "the console lags behind the game";

    m_Input.unfocus();
    ASSERT_TRUE(eventually([this] { return pausedPixels(grab()) > 100; }, 30s)) << "losing the focus did not pause";
    const auto paused = Clock::now();
    const WindowImage still = grab();
    std::this_thread::sleep_for(std::chrono::duration<double>(kLifeSeconds + 1.0));
    EXPECT_TRUE(grab().rgb == still.rgb) << "the picture changed while paused";
    m_Input.focus(m_Window.id);

    // Two shots of what is shown, side by side; then one that cannot be written.
    for (std::size_t shots = 1; shots <= 2; ++shots) {
        m_Input.tap(XK_F12);
        ASSERT_TRUE(eventually([&] { return savedShots(m_Game->output()).size() == shots; }, 30s)) << m_Game->output();
    }
    const std::vector<std::string> shots = savedShots(m_Game->output());
    EXPECT_NE(shots.front(), shots.back());
    for (const std::string& name : shots) {
        int width = 0, height = 0, channels = 0;
        unsigned char* pixels = stbi_load((m_Dir->path() / name).c_str(), &width, &height, &channels, 3);
        ASSERT_NE(pixels, nullptr) << name;
        EXPECT_TRUE(std::vector<std::uint8_t>(pixels, pixels + width * height * 3) == still.rgb) << name;
        EXPECT_EQ(std::pair(width, height), std::pair(kWidth, kHeight));
        stbi_image_free(pixels);
    }
    std::filesystem::rename(m_Dir->path() / "screenshots", m_Dir->path() / "kept");
    m_Dir->writeFile("screenshots", "");
    m_Input.tap(XK_F12);
    EXPECT_TRUE(eventually([this] {
        return m_Game->output().find("Screenshot could not be saved in screenshots/: ") != std::string::npos;
    }, 30s)) << m_Game->output();
    EXPECT_TRUE(grab().rgb == still.rgb) << "the focus coming back resumed the game";

    // The life left at the pause runs out after P resumes: not at once, and on time.
    const auto resumed = Clock::now();
    m_Input.tap(XK_p);
    EXPECT_TRUE(eventually([this] { return pausedPixels(grab()) < 20 && showsScene(grab()); }, 30s)) << "no play";
    ASSERT_TRUE(eventually([this] { return !showsScene(grab()); }, 30s)) << "the life never ran out";
    const double lostAfter = secondsBetween(resumed, Clock::now());
    EXPECT_GT(lostAfter, kLifeSeconds - secondsBetween(started, paused) - 0.5);
    EXPECT_LT(lostAfter, kLifeSeconds + 2.0);

    m_Input.tap(XK_p);
    EXPECT_TRUE(eventually([this] { return pausedPixels(grab()) > 100; }, 30s)) << "P did not pause";
    m_Input.press(XK_Escape);
    EXPECT_EQ(m_Game->waitForExit(60s), 0) << m_Game->output();
    m_Input.releaseAll();
    EXPECT_NE(m_Game->output().find("NEW HIGHSCORES:\n"), std::string::npos) << m_Game->output();
    EXPECT_EQ(m_Game->errors(), "");
}

// The player turns on the help, transparency and the frame rate, drags the
// window larger, goes full screen with F11 and back with Alt+Enter: the scene,
// drawn at half the window's size, fills every size, the help stays sharp
// white text, the switches stay on, and the window returns to its place.
TEST_F(PlayerProcessTest, ResizedAndFullScreenGameFillsItsWindowAndKeepsItsSwitches)
{
    ASSERT_NO_FATAL_FAILURE(start("LevelsEnabled=0\nInvulnerable=1\nRenderScale=0.5\n"));
    const auto title = [this] { return m_Input.title(m_Window.id); };
    const int helpBefore = helpPixels(grab());
    ASSERT_TRUE(toggle(XK_F1, [&] { return helpPixels(grab()) > helpBefore + 500; }));
    const std::string switched = "KOLM 2015: Orbivane Transparency turned ON";
    ASSERT_TRUE(toggle(XK_F9, [&] { return title() == switched; }));
    ASSERT_TRUE(toggle(XK_F2, [&] { return title().rfind(switched + " ", 0) == 0; }));

    Display* display = XOpenDisplay(nullptr);
    const std::pair<int, int> screen(DisplayWidth(display, 0), DisplayHeight(display, 0));
    XCloseDisplay(display);
    // Until the game draws at the new size the window may show its last picture:
    // what fills the window must still do so a second later.
    const auto fills = [this](std::pair<int, int> size, std::pair<int, int> corner) {
        const auto shown = [&] {
            const WindowImage image = grab();
            return std::pair(image.width, image.height) == size && m_Input.position(m_Window.id) == corner &&
                showsScene(image) && helpPixels(image) > 500;
        };
        return eventually(shown, 30s) && (std::this_thread::sleep_for(1s), shown());
    };
    m_Input.place(m_Window.id, 100, 50, 1000, 600);
    EXPECT_TRUE(fills({1000, 600}, {100, 50})) << "dragged larger";
    m_Input.tap(XK_F11);
    EXPECT_TRUE(fills(screen, {0, 0})) << "full screen";
    m_Input.press(XK_Alt_L);
    m_Input.tap(XK_Return);
    m_Input.release(XK_Alt_L);
    EXPECT_TRUE(fills({1000, 600}, {100, 50})) << "back in the window";
    EXPECT_EQ(title().rfind(switched + " ", 0), 0u) << title();
    EXPECT_NE(title().find(", scene: 50%\n"), std::string::npos) << title();

    m_Game->requestClose(m_Window);
    EXPECT_EQ(m_Game->waitForExit(60s), 0) << m_Game->output();
}

// A game started in full screen leaves it with F11 for the settings' window
// where that fits the screen, else for the default window, with a line why.
TEST_F(PlayerProcessTest, LeavingFullScreenGivesAWindowThatFitsTheScreen)
{
    Display* display = XOpenDisplay(nullptr);
    const std::string screen =
        std::to_string(DisplayWidth(display, 0)) + "x" + std::to_string(DisplayHeight(display, 0));
    const std::string tooHigh = std::to_string(DisplayHeight(display, 0) + 1);
    XCloseDisplay(display);
    // The settings, and the size they give that does not fit.
    const std::pair<std::string, std::string> cases[] = {
        {"Width=800\nHeight=600\n", ""}, {"Width=-1\n", "-1x320"}, {"Width=0\n", "0x320"},
        {"Width=65536\n", "65536x320"}, {"Height=" + tooHigh + "\n", "640x" + tooHigh}};
    for (const auto& [settings, unfit] : cases) {
        SCOPED_TRACE(settings);
        ASSERT_NO_FATAL_FAILURE(start("FullScreen=1\nLevelsEnabled=0\nInvulnerable=1\n" + settings));
        m_Input.tap(XK_F11);
        const auto size = unfit.empty() ? std::pair(800, 600) : std::pair(640, 320);
        const auto shows = [&] { const WindowImage shot = grab(); return std::pair(shot.width, shot.height) == size; };
        EXPECT_TRUE(eventually(shows, 30s));
        const std::string why = "Window size " + unfit + " does not fit the screen (" + screen +
            "); leaving full screen gives a 640x320 window\n";
        EXPECT_EQ(m_Game->output().find(unfit.empty() ? "does not fit" : why) != std::string::npos, !unfit.empty())
            << m_Game->output();
        m_Game->requestClose(m_Window);
        EXPECT_EQ(m_Game->waitForExit(60s), 0) << m_Game->output();
    }
}
