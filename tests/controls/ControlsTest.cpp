#include "Controls.h"
#include "helpers/PlaySound.h"
#include "helpers/TextureManager.h"
#include "rendering/GUIPass.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"
#include "worlds/World.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using Orbivane::Controls;
using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;
using Orbivane::Helpers::TextureManager;
using Orbivane::Rendering::GUIPass;
using Orbivane::Worlds::World;

// GLFW's X11 accessors; its native header would also drag in the XRandR headers.
extern "C" {
Display* glfwGetX11Display();
Window glfwGetX11Window(GLFWwindow* window);
}

namespace {

constexpr const char* kTitle = "KOLM 2015: Orbivane";
constexpr int kWidth = 200;
constexpr int kHeight = 120;

// An X key and the GLFW key it arrives as.
struct Key {
    unsigned long sym;
    int glfw;
};
constexpr Key kSpace{XK_space, GLFW_KEY_SPACE}, kEscape{XK_Escape, GLFW_KEY_ESCAPE}, kW{XK_w, GLFW_KEY_W},
    kS{XK_s, GLFW_KEY_S}, kF2{XK_F2, GLFW_KEY_F2}, kF3{XK_F3, GLFW_KEY_F3}, kF4{XK_F4, GLFW_KEY_F4},
    kF5{XK_F5, GLFW_KEY_F5}, kF8{XK_F8, GLFW_KEY_F8}, kF9{XK_F9, GLFW_KEY_F9};
constexpr Key kAllKeys[] = {kSpace, kEscape, kW, kS, kF2, kF3, kF4, kF5, kF8, kF9};

// Real key presses reach a real, mapped window through the X server; the
// clock is driven with glfwSetTime so that every frame time is exact.
class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        OrbivaneTest::ensureGLContext();
        s_Dir = std::make_unique<OrbivaneTest::TempWorkDir>("");
        s_World = OrbivaneTest::quietWorld(kWidth, kHeight);
        s_Pass = s_World ? std::make_shared<GUIPass>(0, s_World) : nullptr;

        glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
        glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
        s_Window = glfwCreateWindow(kWidth, kHeight, kTitle, nullptr, nullptr);
        glfwDefaultWindowHints();
        ASSERT_NE(s_Window, nullptr);
        s_Input = std::make_unique<OrbivaneTest::XTestInput>();
        s_Input->focus(glfwGetX11Window(s_Window));
    }

    static void TearDownTestSuite()
    {
        s_Input.reset();
        glfwDestroyWindow(s_Window);
        s_Pass.reset();
        s_World.reset();
        s_Dir.reset();
    }

    void SetUp() override
    {
        if (!s_Pass) {
            GTEST_SKIP() << "no world";
        }
        glfwSetWindowShouldClose(s_Window, GLFW_FALSE);
        s_World->m_Ship.m_Speed = 0.0f;
        s_World->m_CullingEnabled = false;
        TextureManager::instance().setSampleMode(0);
        glfwSetTime(0.0);
        m_Controls = std::make_unique<Controls>(kWidth, kHeight, &s_World->m_Ship, s_World);
        m_Controls->m_Title = m_Controls->m_BaseTitle = kTitle;
        m_Controls->setGuiPass(s_Pass);
        m_Console = std::cout.rdbuf(m_Output.rdbuf());
    }

    void TearDown() override
    {
        if (m_Console != nullptr) {
            std::cout.rdbuf(m_Console);
            hold({});
        }
    }

    // Holds exactly `keys` down and waits until the window has seen that.
    static void hold(const std::vector<Key>& keys)
    {
        s_Input->releaseAll();
        for (const Key& key : keys) {
            s_Input->press(key.sym);
        }
        const auto seen = [&keys] {
            for (const Key& key : kAllKeys) {
                const bool wanted = std::any_of(keys.begin(), keys.end(), [&key](Key k) { return k.sym == key.sym; });
                if ((glfwGetKey(s_Window, key.glfw) == GLFW_PRESS) != wanted) {
                    return false;
                }
            }
            return true;
        };
        for (int attempt = 0; attempt < 200 && !seen(); ++attempt) {
            s_Input->sync();
            glfwPollEvents();
        }
        ASSERT_TRUE(seen()) << "the window did not see the keys";
    }

    void frame(double seconds)
    {
        glfwSetTime(seconds);
        m_Controls->update(s_Window);
    }

    // What the window manager shows after the next frame has set the title.
    std::string titleAfterFrame(double seconds)
    {
        frame(seconds);
        XSync(glfwGetX11Display(), False);
        return s_Input->title(glfwGetX11Window(s_Window));
    }

    std::string console()
    {
        const std::string text = m_Output.str();
        m_Output.str("");
        return text;
    }

    static inline std::unique_ptr<OrbivaneTest::TempWorkDir> s_Dir;
    static inline std::shared_ptr<World> s_World;
    static inline std::shared_ptr<GUIPass> s_Pass;
    static inline GLFWwindow* s_Window = nullptr;
    static inline std::unique_ptr<OrbivaneTest::XTestInput> s_Input;
    std::unique_ptr<Controls> m_Controls;
    std::ostringstream m_Output;
    std::streambuf* m_Console = nullptr;
};

TEST_F(ControlsTest, SpaceWinsOverSpeedAndQuitting)
{
    hold({kSpace, kW});
    frame(0.05);
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_EQ(s_World->m_Ship.m_Speed, 0.0f);

    hold({kW, kS});
    frame(0.10);
    EXPECT_FALSE(s_World->m_Ship.m_Shooting) << "the shot lasts one frame";
    EXPECT_GT(s_World->m_Ship.m_Speed, 0.0f) << "W is tested before S";

    hold({kSpace, kEscape});
    frame(0.15);
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_FALSE(glfwWindowShouldClose(s_Window));
    EXPECT_FALSE(std::filesystem::exists(s_Dir->path() / "highscores.txt"));

    hold({kEscape});
    frame(0.20);
    EXPECT_TRUE(glfwWindowShouldClose(s_Window));
    EXPECT_EQ(s_Dir->readFile("highscores.txt"), "Mr. Gorgeous!|0\n");
    EXPECT_EQ(console(), "NEW HIGHSCORES:\nMr. Gorgeous!|0\n");
}

TEST_F(ControlsTest, HeldToggleFlipsFiveTimesASecondAndAShortPressOnce)
{
    hold({kF3});
    int flips = 0;
    bool wireframe = m_Controls->m_Wireframe;
    // 70 frames of 30 ms: a flip every seventh frame, once more than 0.2 s have passed.
    for (int i = 1; i <= 70; ++i) {
        frame(0.03 * i);
        flips += m_Controls->m_Wireframe != wireframe ? 1 : 0;
        wireframe = m_Controls->m_Wireframe;
    }
    EXPECT_EQ(flips, 10);

    hold({});
    frame(2.5);
    hold({kF3});
    frame(2.53);
    frame(2.56);
    hold({});
    frame(2.9);
    EXPECT_TRUE(m_Controls->m_Wireframe);
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

TEST_F(ControlsTest, BrakingStopsAtZeroAndSilencesTheEngine)
{
    const auto engine = [] { return PlaySound::instance().sounds().at("res\\sounds\\engine.wav").state; };
    hold({kW});
    frame(0.05);
    EXPECT_NEAR(s_World->m_Ship.m_Speed, 50.0f, 0.5f);
    EXPECT_EQ(engine(), PlayMode::Loop);

    hold({kS});
    for (const double t : {0.10, 0.15, 0.20}) {
        frame(t);
        EXPECT_GE(s_World->m_Ship.m_Speed, 0.0f);
    }
    EXPECT_EQ(s_World->m_Ship.m_Speed, 0.0f);
    EXPECT_EQ(engine(), PlayMode::Stop);
    frame(0.25);
    EXPECT_EQ(s_World->m_Ship.m_Speed, 0.0f);
    EXPECT_EQ(engine(), PlayMode::Stop);
}

TEST_F(ControlsTest, SwitchesNameTheirNewStateInTheTitleAndConsole)
{
    struct Step {
        Key key;
        const char* title;
        const char* console;
    };
    const std::string base = kTitle;
    const Step steps[] = {
        {kF4, " Texture sample quality: Nearest", ""},
        {kF4, " Texture sample quality: Linear", ""},
        {kF5, " Mip mapping quality: Nearest", ""},
        {kF5, " Mip mapping quality: Trilinear", ""},
        {kF5, " Mip mapping quality: Off", ""},
        {kF8, " Frustum Culling ON", "Frustum Culling turned ON"},
        {kF8, " Frustum Culling OFF", "Frustum Culling turned OFF"},
        {kF9, " Transparency turned ON", "Transparency turned ON"},
        {kF9, " Transparency turned OFF", "Transparency turned OFF"},
    };
    double t = 0.0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.title);
        s_World->m_Frustum.m_CulledCount = 7;
        hold({step.key});
        frame(t += 0.3);
        hold({});
        EXPECT_EQ(titleAfterFrame(t += 0.05), base + step.title);
        EXPECT_EQ(console(), step.console);
        const bool cullingSwitchedOff = step.key.sym == XK_F8 && !s_World->m_CullingEnabled;
        EXPECT_EQ(s_World->m_Frustum.m_CulledCount, cullingSwitchedOff ? 0 : 7);
    }
    EXPECT_EQ(TextureManager::instance().sampleMode(), 0);
}

TEST_F(ControlsTest, FrameRateReadOutFollowsTheTitle)
{
    hold({kF2});
    frame(0.3);
    hold({});
    EXPECT_EQ(titleAfterFrame(0.3405), std::string(kTitle) + " Calculating...");
    // Frames of 40.5 ms: 24.7 frames a second, shown once the read-out is rebuilt.
    double t = 0.3405;
    for (int i = 0; i < 60; ++i) {
        frame(t += 0.0405);
    }
    EXPECT_EQ(titleAfterFrame(t + 0.0405), std::string(kTitle) + " FPS: 24, deltaT unfiltered: 40ms\n");
    EXPECT_EQ(m_Controls->m_Title, kTitle);
}

TEST_F(ControlsTest, MouseMovementSinceTheLastFrameSteers)
{
    const unsigned long window = glfwGetX11Window(s_Window);
    s_Input->moveTo(window, kWidth / 2, kHeight / 2);
    frame(0.05);
    EXPECT_EQ(s_World->m_Ship.m_RotationX, 0.0f) << "the first delta is taken from the window centre";
    EXPECT_EQ(s_World->m_Ship.m_RotationY, 0.0f);

    s_Input->moveBy(10, -4);
    frame(0.10);
    // Steering factor: 0.05 s x 0.1 per pixel.
    EXPECT_NEAR(s_World->m_Ship.m_RotationX, -0.05f, 1e-4f);
    EXPECT_NEAR(s_World->m_Ship.m_RotationY, -0.02f, 1e-4f);
    frame(0.15);
    EXPECT_EQ(s_World->m_Ship.m_RotationX, 0.0f) << "a still mouse stops steering";
}

}
