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
constexpr double kLifeSeconds = 8.0;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// White glyphs where "PAUSED" is drawn, centred a sixth below the top.
bool showsPaused(const WindowImage& image)
{
    const int x = image.width / 2, y = image.height / 6;
    return image.countBrighterThan(200, x - 72, y - 24, x + 72, y) > 100;
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

// The level's number, name and mission, from a quarter in, around the middle
// of a black screen.
bool showsMission(const WindowImage& image)
{
    return !showsScene(image) &&
        image.countWhite(image.width / 4, image.height / 3, image.width, image.height * 2 / 3) > 300;
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
    // Starts the game and gives its window the keyboard as soon as it appears.
    void start(const std::string& settings, const std::string& scores = "")
    {
        m_Dir = std::make_unique<OrbivaneTest::TempWorkDir>(settings);
        m_Dir->writeFile("highscores.txt", scores);
        const std::map<std::string, std::string> quiet{{"ALSOFT_DRIVERS", "null"}};
        m_Game = std::make_unique<OrbivaneTest::GameProcess>(m_Dir->path(), quiet);
        const auto found = m_Game->waitForWindow("KOLM 2015: Orbivane", 60s);
        ASSERT_TRUE(found.has_value()) << m_Game->output();
        m_Window = *found;
        m_Input.focus(m_Window.id);
    }

    WindowImage grab() const { return m_Input.grab(m_Window.id); }
    // Whether the window's picture passes `test` within `timeout`.
    bool shows(const std::function<bool(const WindowImage&)>& test, std::chrono::seconds timeout = 30s) const
    {
        return eventually([&] { return test(grab()); }, timeout);
    }
    // Until the game draws at a new size the window may show its last picture:
    // what passes `test` must still do so a second later.
    bool settlesOn(const std::function<bool(const WindowImage&)>& test) const
    {
        return shows(test) && (std::this_thread::sleep_for(1s), test(grab()));
    }

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

// A player pauses by leaving the window, drags it to a width whose rows are
// no whole number of words (637 x 3 bytes), stays away longer than the whole
// life, turns the frame rate and the help on and takes screenshots; resumes
// with P, turns the help off at once and plays the life out; then pauses the
// lost screen and quits with Escape, which adds the score to the table. The
// scene is drawn smaller than the window; the shots are still the window's.
TEST_F(PlayerProcessTest, PauseKeepsTheLifeAndThePictureAtANewSizeSwitchesAnswerAfterItAndShotsMatchTheWindow)
{
    const auto started = Clock::now();
    ASSERT_NO_FATAL_FAILURE(
        start("LevelsEnabled=0\nDontMoveAsteroids=1\nLiveTimeSec=8\nPlayerName=Robot\nRenderScale=0.75\n", "Ann|12\n"));
    ASSERT_TRUE(shows(showsScene, 60s)) << "no first frame";
    EXPECT_NE(m_Game->output().find("LevelsEnabled:0\n"), std::string::npos) << "the console lags behind the game";

    m_Input.unfocus();
    ASSERT_TRUE(shows(showsPaused)) << "losing the focus did not pause";
    const auto paused = Clock::now();
    m_Input.place(m_Window.id, 0, 0, 637, 319);
    ASSERT_TRUE(settlesOn([](const WindowImage& image) {
        return image.width == 637 && showsScene(image) && showsPaused(image);
    })) << "the paused picture was lost at the new size";
    const WindowImage away = grab();
    std::this_thread::sleep_for(std::chrono::duration<double>(kLifeSeconds + 1.0));
    EXPECT_TRUE(grab().rgb == away.rgb) << "the picture changed while paused";
    m_Input.focus(m_Window.id);
    // A switch that changes only the title draws the paused picture again, as it stood.
    ASSERT_TRUE(toggle(XK_F2, [this] { return m_Input.title(m_Window.id) != "KOLM 2015: Orbivane"; }));
    EXPECT_TRUE(grab().rgb == away.rgb) << "the paused picture was drawn at a later time";
    const int helpOff = helpPixels(away);
    ASSERT_TRUE(toggle(XK_F1, [&] { return helpPixels(grab()) > helpOff + 500; })) << "no help while paused";
    const WindowImage still = grab();

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
        EXPECT_EQ(std::pair(width, height), std::pair(still.width, still.height));
        stbi_image_free(pixels);
    }
    std::filesystem::rename(m_Dir->path() / "screenshots", m_Dir->path() / "kept");
    m_Dir->writeFile("screenshots", "");
    m_Input.tap(XK_F12);
    EXPECT_TRUE(eventually([this] {
        return m_Game->output().find("Screenshot could not be saved in screenshots/: ") != std::string::npos;
    }, 30s)) << m_Game->output();
    EXPECT_TRUE(grab().rgb == still.rgb) << "the focus coming back resumed the game";

    // The help switch, flipped late in the pause, answers at once; the life
    // left at the pause runs out after P resumes: not at once, and on time.
    const auto resumed = Clock::now();
    m_Input.tap(XK_p);
    EXPECT_TRUE(shows([](const WindowImage& image) { return !showsPaused(image) && showsScene(image); })) << "no play";
    EXPECT_TRUE(toggle(XK_F1, [&] { return showsScene(grab()) && helpPixels(grab()) < helpOff + 100; }))
        << "the help stayed on after resuming";
    ASSERT_TRUE(shows([](const WindowImage& image) { return !showsScene(image); })) << "the life never ran out";
    const double lostAfter = secondsBetween(resumed, Clock::now());
    EXPECT_GT(lostAfter, kLifeSeconds - secondsBetween(started, paused) - 0.5);
    EXPECT_LT(lostAfter, kLifeSeconds + 2.0);

    m_Input.tap(XK_p);
    EXPECT_TRUE(shows(showsPaused)) << "P did not pause";
    m_Input.press(XK_Escape);
    EXPECT_EQ(m_Game->waitForExit(60s), 0) << m_Game->output();
    m_Input.releaseAll();
    EXPECT_NE(m_Game->output().find("NEW HIGHSCORES:\nAnn|12\nRobot|0\n"), std::string::npos) << m_Game->output();
    EXPECT_EQ(m_Dir->readFile("highscores.txt"), "Ann|12\nRobot|0\n");
    EXPECT_EQ(m_Game->errors(), "");
}

// The player pauses the level's introduction with P: the mission stays on
// screen while the focus goes and comes back, and after P the introduction
// goes on for the rest of its second before the level starts.
// The player then turns on the score table, the help, transparency and the
// frame rate, drags the window larger, goes full screen with F11 and back
// with Alt+Enter, and pauses and goes full screen again: the scene, drawn at
// half the window's size, fills every size, the switches stay on, and the
// window returns to its place.
TEST_F(PlayerProcessTest, PausedIntroKeepsTheMissionWhileTheFocusComesAndGoesAndTheSceneFillsEverySize)
{
    ASSERT_NO_FATAL_FAILURE(start("Invulnerable=1\nRenderScale=0.5\n", "Ann|12\n"));
    m_Input.tap(XK_p);
    ASSERT_TRUE(shows([](const WindowImage& image) { return showsMission(image) && showsPaused(image); }))
        << "the mission left the screen at the pause";
    const WindowImage mission = grab();
    m_Input.unfocus();
    // Longer than the introduction lasts.
    std::this_thread::sleep_for(1500ms);
    m_Input.focus(m_Window.id);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(grab().rgb == mission.rgb) << "the focus coming and going resumed the game";
    m_Input.tap(XK_p);
    EXPECT_TRUE(shows([](const WindowImage& image) { return showsMission(image) && !showsPaused(image); }))
        << "the introduction did not go on after the pause";
    ASSERT_TRUE(shows(showsScene)) << "the level did not start";

    const auto title = [this] { return m_Input.title(m_Window.id); };
    const int textBefore = grab().countWhite(0, 0, 640, 320);
    ASSERT_TRUE(toggle(XK_Tab, [&] { return grab().countWhite(0, 0, 640, 320) > textBefore + 200; })) << "no table";
    const int helpBefore = helpPixels(grab());
    ASSERT_TRUE(toggle(XK_F1, [&] { return helpPixels(grab()) > helpBefore + 500; }));
    const std::string switched = "KOLM 2015: Orbivane Transparency turned ON";
    ASSERT_TRUE(toggle(XK_F9, [&] { return title() == switched; }));
    ASSERT_TRUE(toggle(XK_F2, [&] { return title().rfind(switched + " ", 0) == 0; }));

    Display* display = XOpenDisplay(nullptr);
    const std::pair<int, int> screen(DisplayWidth(display, 0), DisplayHeight(display, 0));
    XCloseDisplay(display);
    const auto fills = [this](std::pair<int, int> size, std::pair<int, int> corner, bool paused) {
        return settlesOn([&](const WindowImage& image) {
            return std::pair(image.width, image.height) == size && m_Input.position(m_Window.id) == corner &&
                showsScene(image) && helpPixels(image) > 500 && (!paused || showsPaused(image));
        });
    };
    m_Input.place(m_Window.id, 100, 50, 1000, 600);
    EXPECT_TRUE(fills({1000, 600}, {100, 50}, false)) << "dragged larger";
    m_Input.tap(XK_F11);
    EXPECT_TRUE(fills(screen, {0, 0}, false)) << "full screen";
    m_Input.press(XK_Alt_L);
    m_Input.tap(XK_Return);
    m_Input.release(XK_Alt_L);
    EXPECT_TRUE(fills({1000, 600}, {100, 50}, false)) << "back in the window";
    m_Input.tap(XK_p);
    m_Input.tap(XK_F11);
    EXPECT_TRUE(fills(screen, {0, 0}, true)) << "full screen while paused";
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
