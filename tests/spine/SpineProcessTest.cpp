#include "support/GameProcess.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace std::chrono_literals;
using OrbivaneTest::GameProcess;

namespace {

const std::string kTitle = "KOLM 2015: Orbivane";

class SpineProcessTest : public ::testing::Test {
protected:
    void SetUp() override { m_Dir.linkGameAssets(); }

    // Starts the game, expects its window, lets `whileOpen` look at it and
    // closes it like the close button does.
    std::string runAndClose(int expectedWidth, int expectedHeight,
                            const std::map<std::string, std::string>& environment = {},
                            const std::function<void(const OrbivaneTest::WindowInfo&)>& whileOpen = {})
    {
        GameProcess game(m_Dir.path(), environment);
        const auto window = game.waitForWindow(kTitle, 60s);
        EXPECT_TRUE(window.has_value()) << game.output();
        if (!window) {
            return game.output();
        }
        EXPECT_EQ(std::pair(window->width, window->height), std::pair(expectedWidth, expectedHeight));
        if (whileOpen) {
            whileOpen(*window);
        }
        game.requestClose(*window);
        EXPECT_EQ(game.waitForExit(60s), 0);
        return game.output();
    }

    // Runs the game expecting it to fail at start-up without waiting for a key.
    std::string runExpectingFailure(const std::map<std::string, std::string>& environment = {})
    {
        GameProcess game(m_Dir.path(), environment);
        EXPECT_EQ(game.waitForExit(60s), 255);
        return game.output();
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

// Switches the display's (Xvfb's only) output off while it lives, so that
// the display reports no monitor, and back on afterwards.
class MonitorOff {
public:
    MonitorOff()
        : m_Display(XOpenDisplay(nullptr)),
          m_Resources(XRRGetScreenResourcesCurrent(m_Display, DefaultRootWindow(m_Display))),
          m_On(XRRGetCrtcInfo(m_Display, m_Resources, m_Resources->crtcs[0]))
    {
        setCrtc(None, nullptr, 0);
    }
    ~MonitorOff()
    {
        setCrtc(m_On->mode, m_On->outputs, m_On->noutput);
        XRRFreeCrtcInfo(m_On);
        XRRFreeScreenResources(m_Resources);
        XCloseDisplay(m_Display);
    }

private:
    void setCrtc(RRMode mode, RROutput* outputs, int count)
    {
        XRRSetCrtcConfig(m_Display, m_Resources, m_Resources->crtcs[0], CurrentTime, m_On->x, m_On->y, mode,
                         m_On->rotation, outputs, count);
    }

    Display* m_Display;
    XRRScreenResources* m_Resources;
    XRRCrtcInfo* m_On;
};

}

// The first start writes the settings file before anything else. A returning
// player's game starts at the scene scale the last one ended with and keeps
// it for the next start; a game closed during the introduction never
// measured a frame of the scene, so the scale stays.
TEST_F(SpineProcessTest, DefaultStartWritesTheSettingsFileAndOpensA640By320Window)
{
    m_Dir.writeFile("renderscale.txt", "0.4\n");
    const std::string output = runAndClose(640, 320);
    EXPECT_EQ(m_Dir.readFile("renderscale.txt"), "0.40\n");
    // The start-up lines come in the order the game is built.
    std::size_t at = 0;
    for (const std::string line : {"Orbivane.ini written with the default settings\n",
                                   "Debug output disabled. Enable via INI setting: GLDebugMessages\n",
                                   "Vertical sync on (swap interval 1). Disable via INI setting: VSync\n",
                                   "Compiling shader: shader\\SkyBox.vertexShader.txt\n",
                                   "Compiling shader: shader\\Entity.vertexShader.txt\n",
                                   "Radius:65.2315\n", "OLD HIGHSCORES:\n", "LevelsEnabled:1\n"}) {
        const std::size_t found = output.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << output;
        at = found + line.size();
    }
    EXPECT_EQ(output.rfind("Orbivane.ini written", 0), 0u);
}

// A file the player wrote is never rewritten; a bad volume gives its default
// and a console line. A fixed scene scale has nothing to keep for the next start.
TEST_F(SpineProcessTest, SettingsChooseTheWindowSizeAndDebugOutput)
{
    const std::string settings = "FullScreen=2\r\nWidth=800\r\nHeight=600\r\nGLDebugMessages=1\r\nVSync=0\r\n"
                                 "Volume=150\r\nRenderScale=0.5\r\n";
    m_Dir.writeFile("Orbivane.ini", settings);
    const std::string enabled = "Debug output enabled. Disable via INI setting: GLDebugMessages\n"
                                "Debug Output available!\n"
                                "Vertical sync off (swap interval 0). Enable via INI setting: VSync\n";
    const std::string output = runAndClose(800, 600);
    EXPECT_EQ(output.substr(0, enabled.size()), enabled);
    EXPECT_NE(output.find("Orbivane.ini: Volume=150 is not a whole number from 0 to 100; using 100\n"), std::string::npos);
    EXPECT_EQ(m_Dir.readFile("Orbivane.ini"), settings);
    EXPECT_FALSE(std::filesystem::exists(m_Dir.path() / "renderscale.txt"));
}

// Mesa told to offer a 4.2 context without either debug extension. A bad
// vertical sync value means the default, with a console line.
TEST_F(SpineProcessTest, ContextWithoutDebugOutputSaysSoAndRuns)
{
    m_Dir.writeFile("Orbivane.ini", "GLDebugMessages=1\nVSync=yes\n");
    const std::string expected = "Debug output enabled. Disable via INI setting: GLDebugMessages\n"
                                 "Debug Output available!\nDebug output not supported by this context\n"
                                 "Orbivane.ini: VSync=yes is not a whole number from 0 to 1; using 1\n"
                                 "Vertical sync on (swap interval 1). Disable via INI setting: VSync\n";
    const std::string output = runAndClose(640, 320, {{"MESA_GL_VERSION_OVERRIDE", "4.2"},
                                                      {"MESA_EXTENSION_OVERRIDE", "-GL_KHR_debug -GL_ARB_debug_output"}});
    // Mesa warns on the console first that it keeps the extensions inside.
    EXPECT_NE(output.find(expected), std::string::npos) << output;
}

TEST_F(SpineProcessTest, MalformedSettingEndsWithTheLibraryText)
{
    m_Dir.writeFile("Orbivane.ini", "Width=wide\n");
    EXPECT_EQ(runExpectingFailure(), "invalid stoi argument");
    m_Dir.writeFile("Orbivane.ini", "Height=99999999999\n");
    EXPECT_EQ(runExpectingFailure(), "stoi argument out of range");
}

TEST_F(SpineProcessTest, ImpossibleWindowIsReported)
{
    // Beyond what X11 carries, and beyond what the driver renders into.
    for (const std::string settings : {"Width=0\n", "Width=-5\n", "Height=-1\n", "Width=40000\nHeight=40000\n",
                                       "Width=32767\nHeight=32767\n", "FullScreen=1\n"}) {
        SCOPED_TRACE(settings);
        m_Dir.writeFile("Orbivane.ini", settings);
        const std::optional<MonitorOff> noMonitor =
            settings == "FullScreen=1\n" ? std::make_optional<MonitorOff>() : std::nullopt;
        EXPECT_EQ(runExpectingFailure(), "Exception message: Could not create (glfw)window\n");
    }
    // Too small for the smallest glow texture: the failing framebuffer's status is named.
    m_Dir.writeFile("Orbivane.ini", "Width=2\nHeight=2\n");
    const std::string output = runExpectingFailure();
    EXPECT_NE(output.find("Exception message: BrightPass creation failed. Error: "), std::string::npos) << output;
}

// Also shows that the test above switched the monitor back on.
TEST_F(SpineProcessTest, FullScreenCoversTheMonitorWhateverTheSettings)
{
    m_Dir.writeFile("Orbivane.ini", "FullScreen=1\nWidth=800\nHeight=600\n");
    Display* display = XOpenDisplay(nullptr);
    const int screen = DefaultScreen(display), width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    XCloseDisplay(display);
    runAndClose(width, height);
}

// Without a display the game reports that it cannot start, whatever other
// arguments it is given; --help and --version are answered without a window.
TEST_F(SpineProcessTest, NoDisplayIsReportedButHelpAndVersionAreAnswered)
{
    const std::string game = ORBIVANE_EXECUTABLE, version = "orbivane " ORBIVANE_VERSION "\n";
    const std::string noDisplay = "Exception message: Glfw could not be initialized\n";
    const struct {
        std::vector<std::string> command;
        int status;
        std::string begins, ends, errors;
    } cases[] = {
        {{game, "--version"}, 0, version, version, ""},
        {{game, "-x", "--version", "--help"}, 0, version, version, ""},
        {{game, "--help"}, 0, "Usage: orbivane [--help | --version]\n\n", "the manual page orbivane(6).\n", ""},
        {{game}, 255, noDisplay, noDisplay, ""},
        {{game, "--level", "3"}, 255, noDisplay, noDisplay, ""},
        {{"/bin/sh", "-c", "exec \"$0\" --version > /dev/full", game}, 1, "", "",
         "orbivane: could not write the answer: No space left on device\n"},
    };
    for (const auto& [command, status, begins, ends, errors] : cases) {
        GameProcess process(m_Dir.path(), {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, command);
        EXPECT_EQ(process.waitForExit(60s), status) << command.back();
        const std::string output = process.output();
        EXPECT_EQ(output.substr(0, begins.size()), begins) << output;
        EXPECT_EQ(output.substr(output.size() - std::min(output.size(), ends.size())), ends) << output;
        EXPECT_EQ(process.errors(), errors);
    }
}

TEST_F(SpineProcessTest, MissingAssetsEndTheStartWithTheirPath)
{
    std::filesystem::remove(m_Dir.path() / "res");
    const std::string output = runExpectingFailure();
    EXPECT_EQ(output.substr(std::min(output.size(), output.rfind("Exception message: "))),
              "Exception message: Could not load cubemap-texture.res\\textures\\skybox\\right.jpg\n")
        << output;
}

// A desktop at 192 dpi, on an X server of the test's own so that no other
// test sees it: the default window and its text are twice as large, the life
// bar keeps its place in the window; at 576 dpi the window stops at the
// screen's size.
TEST_F(SpineProcessTest, HighDpiDesktopScalesTheDefaultWindowAndItsText)
{
    std::filesystem::create_directory(m_Dir.path() / "server");
    GameProcess server(m_Dir.path() / "server", {},
                       {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-noreset", "-nolisten", "tcp"});
    std::string number;
    ASSERT_TRUE(OrbivaneTest::eventually([&] { return (number = server.output()).find('\n') != std::string::npos; }, 30s));
    // The test's own X connections and the games it starts use that server until the test ends.
    const std::shared_ptr<void> restore(nullptr, [outer = std::string(std::getenv("DISPLAY"))](void*) {
        setenv("DISPLAY", outer.c_str(), 1);
    });
    setenv("DISPLAY", (":" + number.substr(0, number.find('\n'))).c_str(), 1);
    const auto useDpi = [this](const std::string& dpi) {
        m_Dir.writeFile("dpi", "Xft.dpi: " + dpi + "\n");
        EXPECT_EQ(GameProcess(m_Dir.path(), {}, {"/usr/bin/xrdb", "-nocpp", "-merge", "dpi"}).waitForExit(30s), 0);
    };
    useDpi("192");
    m_Dir.writeFile("Orbivane.ini", "LevelsEnabled=0\n");
    runAndClose(1280, 640, {{"ALSOFT_DRIVERS", "null"}}, [](const OrbivaneTest::WindowInfo& window) {
        OrbivaneTest::XTestInput input;
        input.focus(window.id);
        const auto scene = [&] { return input.grab(window.id).countBrighterThan(0, 0, 0, 1280, 640) > 1280 * 320; };
        ASSERT_TRUE(OrbivaneTest::eventually(scene, 60s));
        input.unfocus();
        // "PAUSED" in 48-pixel cells a sixth below the top, centred: its first
        // letter and the top half of its last lie where 24-pixel ones could not.
        const auto paused = [&] {
            const OrbivaneTest::WindowImage image = input.grab(window.id);
            return image.countWhite(496, 58, 544, 106) > 60 && image.countWhite(736, 58, 784, 82) > 60;
        };
        EXPECT_TRUE(OrbivaneTest::eventually(paused, 30s));
        const auto green = [](const std::uint8_t* pixel) { return pixel[1] > 150 && pixel[0] < 100; };
        EXPECT_EQ(input.grab(window.id).countWhere(36, 590, 60, 606, green), 24 * 16) << "no full life bar";
    });
    useDpi("576");
    runAndClose(1920, 960);
}
