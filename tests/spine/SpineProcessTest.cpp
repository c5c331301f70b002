#include "support/GameProcess.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;
using OrbivaneTest::GameProcess;

namespace {

const std::string kTitle = "KOLM 2015: Orbivane";

class SpineProcessTest : public ::testing::Test {
protected:
    void SetUp() override { m_Dir.linkGameAssets(); }

    // Starts the game, expects its window, closes it like the close button does.
    std::string runAndClose(int expectedWidth, int expectedHeight,
                            const std::map<std::string, std::string>& environment = {})
    {
        GameProcess game(m_Dir.path(), environment);
        const auto window = game.waitForWindow(kTitle, 60s);
        EXPECT_TRUE(window.has_value()) << game.output();
        if (!window) {
            return game.output();
        }
        EXPECT_EQ(std::pair(window->width, window->height), std::pair(expectedWidth, expectedHeight));
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

TEST_F(SpineProcessTest, DefaultStartOpensA640By320WindowAndClosesCleanly)
{
    const std::string output = runAndClose(640, 320);
    // The start-up lines come in the order the game is built.
    std::size_t at = 0;
    for (const std::string line : {"Debug output disabled. Enable via INI setting: GLDebugMessages\n",
                                   "Compiling shader: shader\\SkyBox.vertexShader.txt\n",
                                   "Compiling shader: shader\\Entity.vertexShader.txt\n",
                                   "Radius:65.2315\n", "OLD HIGHSCORES:\n", "LevelsEnabled:1\n"}) {
        const std::size_t found = output.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << output;
        at = found + line.size();
    }
    EXPECT_EQ(output.rfind("Debug output disabled", 0), 0u);
}

TEST_F(SpineProcessTest, SettingsChooseTheWindowSizeAndDebugOutput)
{
    m_Dir.writeFile("Orbivane.ini", "FullScreen=2\r\nWidth=800\r\nHeight=600\r\nGLDebugMessages=1\r\n");
    const std::string enabled = "Debug output enabled. Disable via INI setting: GLDebugMessages\n"
                                "Debug Output available!\n";
    EXPECT_EQ(runAndClose(800, 600).substr(0, enabled.size()), enabled);
}

// Mesa told to offer a 4.2 context without either debug extension.
TEST_F(SpineProcessTest, ContextWithoutDebugOutputSaysSoAndRuns)
{
    m_Dir.writeFile("Orbivane.ini", "GLDebugMessages=1\n");
    const std::string expected = "Debug output enabled. Disable via INI setting: GLDebugMessages\n"
                                 "Debug Output available!\nDebug output not supported by this context\n";
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
