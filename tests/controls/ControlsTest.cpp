#include "Controls.h"
#include "helpers/PlaySound.h"
#include "helpers/TextureManager.h"
#include "rendering/Renderer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "support/XTestInput.h"
#include "worlds/World.h"

#include <AL/al.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

// GLFW's X11 accessors; its native header would also drag in the XRandR headers.
extern "C" {
Display* glfwGetX11Display();
Window glfwGetX11Window(GLFWwindow* window);
}

namespace {

using Switch = Orbivane::PlayerInput::Switch;

constexpr const char* kTitle = "KOLM 2015: Orbivane";
constexpr int kWidth = 200, kHeight = 120;

// The X keys the tests press and the GLFW keys they arrive as.
const std::map<unsigned long, int> kKeys = {
    {XK_space, GLFW_KEY_SPACE}, {XK_Escape, GLFW_KEY_ESCAPE}, {XK_w, GLFW_KEY_W}, {XK_s, GLFW_KEY_S},
    {XK_F2, GLFW_KEY_F2},       {XK_F3, GLFW_KEY_F3},         {XK_F4, GLFW_KEY_F4}, {XK_F5, GLFW_KEY_F5},
    {XK_F8, GLFW_KEY_F8},       {XK_F9, GLFW_KEY_F9},         {XK_p, GLFW_KEY_P},   {XK_Tab, GLFW_KEY_TAB},
    {XK_F1, GLFW_KEY_F1},       {XK_Left, GLFW_KEY_LEFT},     {XK_Right, GLFW_KEY_RIGHT},
    {XK_Up, GLFW_KEY_UP},       {XK_Down, GLFW_KEY_DOWN},     {XK_Return, GLFW_KEY_ENTER},
    {XK_m, GLFW_KEY_M}};

// A controller's state as GLFW reports it: the left stick (y grows towards
// the player), the buttons held, and the triggers from -1 (released) to 1.
GLFWgamepadstate pad(float stickX, float stickY, std::initializer_list<int> held = {}, float leftTrigger = -1.0f,
                     float rightTrigger = -1.0f)
{
    GLFWgamepadstate state{{}, {stickX, stickY, 0.02f, -0.03f, leftTrigger, rightTrigger}};
    for (const int button : held) {
        state.buttons[button] = GLFW_PRESS;
    }
    return state;
}

// Real key presses reach a real, mapped window through the X server; the
// clock is driven with glfwSetTime so that every frame time is exact.
class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        OrbivaneTest::ensureGLContext();
        // A device that plays into nothing: sounds really play, and pause,
        // on a machine without a sound card.
        setenv("ALSOFT_DRIVERS", "null", 1);
        s_Dir = std::make_unique<OrbivaneTest::TempWorkDir>("");
        s_World = OrbivaneTest::quietWorld(kWidth, kHeight);
        s_Pass = s_World ? std::make_shared<Orbivane::Rendering::GUIPass>(0, s_World) : nullptr;

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
        ASSERT_TRUE(s_Pass) << "no world";
        glfwSetWindowShouldClose(s_Window, GLFW_FALSE);
        s_World->m_Ship.m_Speed = 0.0f;
        s_World->m_CullingEnabled = false;
        Orbivane::Helpers::TextureManager::instance().setSampleMode(0);
        glfwSetTime(0.0);
        m_Controls = std::make_unique<Orbivane::Controls>(kWidth, kHeight, &s_World->m_Ship, s_World);
        m_Controls->m_Title = m_Controls->m_BaseTitle = kTitle;
        m_Controls->setGuiPass(s_Pass);
        m_Controls->listenTo(s_Window);
    }

    void TearDown() override
    {
        s_Dir->useSettings("");
        hold({});
        glfwSetWindowUserPointer(s_Window, nullptr);
    }

    // Holds exactly `keys` down and waits until the window has seen that.
    static void hold(const std::vector<unsigned long>& keys)
    {
        s_Input->releaseAll();
        for (const unsigned long key : keys) {
            s_Input->press(key);
        }
        const auto seen = [&keys] {
            return std::all_of(kKeys.begin(), kKeys.end(), [&keys](const auto& key) {
                const bool wanted = std::find(keys.begin(), keys.end(), key.first) != keys.end();
                return (glfwGetKey(s_Window, key.second) == GLFW_PRESS) == wanted;
            });
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

    static inline std::unique_ptr<OrbivaneTest::TempWorkDir> s_Dir;
    static inline std::shared_ptr<Orbivane::Worlds::World> s_World;
    static inline std::shared_ptr<Orbivane::Rendering::GUIPass> s_Pass;
    static inline GLFWwindow* s_Window = nullptr;
    static inline std::unique_ptr<OrbivaneTest::XTestInput> s_Input;
    std::unique_ptr<Orbivane::Controls> m_Controls;
};

// Every held flight key acts in every frame, and Escape saves and quits
// whatever else is held.
TEST_F(ControlsTest, HeldFlightKeysActTogetherAndEscapeQuitsWhateverIsHeld)
{
    hold({XK_space, XK_w, XK_Left});
    frame(0.05);
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_NEAR(s_World->m_Ship.m_Speed, 50.0f, 0.5f);
    EXPECT_NEAR(s_World->m_Ship.m_RotationZ, -0.05f, 5e-3f);
    EXPECT_FALSE(std::filesystem::exists(s_Dir->path() / "highscores.txt"));

    hold({XK_space, XK_w, XK_Left, XK_Escape});
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { frame(0.10); }), "NEW HIGHSCORES:\nMr. Gorgeous!|0\n");
    EXPECT_TRUE(glfwWindowShouldClose(s_Window));
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_EQ(s_Dir->readFile("highscores.txt"), "Mr. Gorgeous!|0\n");
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { frame(0.15); }), "") << "saved again while held";
}

// A switch flips once per press, however long it is held; a press and release
// that both fall between two frames still count, for switches and flight keys.
TEST_F(ControlsTest, EveryPressCountsOnceHoweverLongOrShortTheFrame)
{
    // Held past the keyboard's repeat delay, a switch still flips once.
    hold({XK_F8});
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { frame(0.01); }), "Frustum Culling turned ON");
    hold({XK_F3});
    for (int i = 1; i <= 70; ++i) {
        frame(0.03 * i);
    }
    EXPECT_TRUE(m_Controls->m_Wireframe);
    hold({});
    s_Input->tap(XK_F3);
    s_Input->tap(XK_space);
    s_Input->tap(XK_w);
    frame(2.5);
    EXPECT_FALSE(m_Controls->m_Wireframe);
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_GT(s_World->m_Ship.m_Speed, 0.0f);
    frame(2.6);
    EXPECT_FALSE(s_World->m_Ship.m_Shooting) << "a tap fires once";
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
}

// The arrows fly as the letters do: left and right roll by the frame's
// seconds either way, up and down change the speed by 1000 a second.
TEST_F(ControlsTest, ArrowsRollAndChangeSpeed)
{
    const std::tuple<unsigned long, float, float> cases[] = {
        {XK_Left, -0.05f, 100.0f}, {XK_Right, 0.05f, 100.0f}, {XK_Up, 0.0f, 150.0f}, {XK_Down, 0.0f, 50.0f}};
    double t = 0.0;
    for (const auto& [key, roll, speed] : cases) {
        s_World->m_Ship.m_Speed = 100.0f;
        s_World->m_Ship.setRotationZ(0.0f);
        frame(t += 0.3);
        hold({key});
        frame(t += 0.05);
        EXPECT_NEAR(s_World->m_Ship.m_RotationZ, roll, 5e-3f) << XKeysymToString(key);
        EXPECT_NEAR(s_World->m_Ship.m_Speed, speed, 5.0f) << XKeysymToString(key);
        hold({});
    }
}

TEST_F(ControlsTest, BrakingStopsAtZeroAndSilencesTheEngine)
{
    const auto engine = [] {
        return Orbivane::Helpers::PlaySound::instance().sounds().at("res\\sounds\\engine.wav").state;
    };
    hold({XK_w});
    frame(0.05);
    EXPECT_NEAR(s_World->m_Ship.m_Speed, 50.0f, 0.5f);
    EXPECT_EQ(engine(), Orbivane::Helpers::PlayMode::Loop);
    // Braking on, well past a standstill.
    hold({XK_s});
    for (const double t : {0.10, 0.15, 0.20, 0.25}) {
        frame(t);
        EXPECT_GE(s_World->m_Ship.m_Speed, 0.0f);
    }
    EXPECT_EQ(s_World->m_Ship.m_Speed, 0.0f);
    EXPECT_EQ(engine(), Orbivane::Helpers::PlayMode::Stop);
}

// M acts on its key event, once per press.
TEST_F(ControlsTest, SwitchesNameTheirNewStateInTheTitleAndConsole)
{
    m_Controls->listenTo(s_Window);
    const std::tuple<unsigned long, const char*, const char*> steps[] = {
        {XK_F4, " Texture sample quality: Nearest", ""}, {XK_F4, " Texture sample quality: Linear", ""},
        {XK_F5, " Mip mapping quality: Nearest", ""}, {XK_F5, " Mip mapping quality: Trilinear", ""},
        {XK_F5, " Mip mapping quality: Off", ""}, {XK_F8, " Frustum Culling ON", "Frustum Culling turned ON"},
        {XK_F8, " Frustum Culling OFF", "Frustum Culling turned OFF"},
        {XK_F9, " Transparency turned ON", "Transparency turned ON"},
        {XK_F9, " Transparency turned OFF", "Transparency turned OFF"}, {XK_m, " Sound muted", ""},
        {XK_m, " Sound on", ""}};
    double t = 0.0;
    for (const auto& [key, title, console] : steps) {
        s_World->m_Frustum.m_CulledCount = 7;
        hold({key});
        EXPECT_EQ(OrbivaneTest::consoleOf([&] { frame(t += 0.3); }), console);
        hold({});
        EXPECT_EQ(titleAfterFrame(t += 0.05), std::string(kTitle) + title);
        const bool cullingSwitchedOff = key == XK_F8 && !s_World->m_CullingEnabled;
        EXPECT_EQ(s_World->m_Frustum.m_CulledCount, cullingSwitchedOff ? 0 : 7);
        EXPECT_EQ(Orbivane::Helpers::PlaySound::instance().muted(), std::string(title) == " Sound muted");
    }
    EXPECT_EQ(Orbivane::Helpers::TextureManager::instance().sampleMode(), 0);
}

TEST_F(ControlsTest, FrameRateReadOutFollowsTheSwitchTitleAndNamesAScaledScene)
{
    const std::string switched = std::string(kTitle) + " Frustum Culling ON";
    hold({XK_F8});
    OrbivaneTest::consoleOf([this] { frame(0.25); });
    hold({XK_F2});
    frame(0.3);
    hold({});
    double t = 0.3405;
    EXPECT_EQ(titleAfterFrame(t), switched + " Calculating...");
    // Frames of 40.5 ms: 24.7 frames a second, shown once the read-out is rebuilt.
    for (int i = 0; i < 60; ++i) {
        frame(t += 0.0405);
    }
    EXPECT_EQ(titleAfterFrame(t + 0.0405), switched + " FPS: 24, deltaT unfiltered: 40ms\n");
    EXPECT_EQ(m_Controls->m_Title, switched);
    // A scene drawn below the window's resolution is named, in percent of its width.
    m_Controls->m_ScenePercent = 50;
    for (int i = 0; i < 30; ++i) {
        frame(t += 0.0405);
    }
    const std::string scaled = titleAfterFrame(t + 0.0405);
    EXPECT_EQ(scaled.substr(scaled.find(", deltaT")), ", deltaT unfiltered: 40ms, scene: 50%\n") << scaled;
}

// P arrives as a key event. While paused the flying keys and the mouse do
// nothing, the engine's hum stands still, the switches still flip, and
// resuming sets the clock back to the moment of pausing and lets the hum go
// on; the mouse's moves in between do not jolt the ship.
TEST_F(ControlsTest, PauseStopsFlyingTheClockAndTheSoundButNotTheSwitches)
{
    const auto hum = [] {
        ALint state = AL_INITIAL;
        alGetSourcei(Orbivane::Helpers::PlaySound::instance().sounds().at("res\\sounds\\engine.wav").loopSource,
                     AL_SOURCE_STATE, &state);
        return state;
    };
    hold({XK_w});
    frame(0.5);
    ASSERT_EQ(hum(), AL_PLAYING);
    hold({XK_p});
    frame(1.0);
    const float speed = s_World->m_Ship.m_Speed;
    hold({XK_w, XK_F9});
    s_Input->moveBy(30, 20);
    OrbivaneTest::consoleOf([this] { frame(2.0); });
    EXPECT_TRUE(m_Controls->m_Pause.active());
    EXPECT_EQ(hum(), AL_PAUSED);
    EXPECT_EQ(s_World->m_Ship.m_Speed, speed);
    EXPECT_EQ(s_World->m_Ship.m_RotationX, 0.0f);
    EXPECT_TRUE(s_Pass->m_Transparency);
    s_Pass->m_Transparency = false;

    hold({XK_p});
    frame(7.0);
    EXPECT_FALSE(m_Controls->m_Pause.active());
    EXPECT_EQ(hum(), AL_PLAYING);
    EXPECT_NEAR(glfwGetTime(), 1.0, 0.01);
    EXPECT_EQ(s_World->m_Ship.m_RotationX, 0.0f) << "a jolt on resuming";
}

// The turn is the mouse's movement alone, times MouseSensitivity: the same
// move turns the ship as far in a long frame as in a short one, right and up
// as the hand moves. InvertMouseY reverses the pitch, the stick's too. A bad
// value gives the default and a console line naming the key.
TEST_F(ControlsTest, TheMouseTurnsByItsMovementAtAnyFrameRateAndAsTheSettingsSay)
{
    const std::tuple<const char*, float, float, const char*> cases[] = {
        {"", 1.0f, 1.0f, ""},
        {"MouseSensitivity=2.5\nInvertMouseY=1\n", 2.5f, -1.0f, ""},
        {"MouseSensitivity=0.05\nInvertMouseY=yes\n", 1.0f, 1.0f,
         "Orbivane.ini: MouseSensitivity=0.05 is not a number from 0.1 to 10; using 1\n"
         "Orbivane.ini: InvertMouseY=yes is not a whole number from 0 to 1; using 0\n"}};
    const auto steeringAfterFrame = [this](double seconds) {
        frame(seconds);
        return glm::vec2(s_World->m_Ship.m_RotationX, s_World->m_Ship.m_RotationY);
    };
    double t = 0.0;
    for (const auto& [settings, sensitivity, pitch, console] : cases) {
        s_Dir->useSettings(settings);
        // SetUp makes the controls anew, as the game does at its start.
        EXPECT_EQ(OrbivaneTest::consoleOf([this] { SetUp(); }), console);
        s_Input->moveTo(glfwGetX11Window(s_Window), kWidth / 2, kHeight / 2);
        // Pitch down is positive and so is yaw to the left: up and right are negative.
        const glm::vec2 rightAndUp = glm::vec2(-12.0f * pitch, -30.0f) * sensitivity / 600.0f;
        for (const double frameSeconds : {1.0 / 20.0, 1.0 / 240.0}) {
            EXPECT_EQ(steeringAfterFrame(t += 1.0), glm::vec2(0.0f)) << "a still mouse";
            s_Input->moveBy(30, -12);
            EXPECT_LT(glm::distance(steeringAfterFrame(t += frameSeconds), rightAndUp), 1e-6f) << settings;
        }
        // The stick pushed forward: 1.2 radians a second.
        m_Controls->m_Gamepad.readFrom([] { return pad(0.0f, -1.0f); });
        const double frameSeconds = (t += 0.1) - m_Controls->m_LastFrameTime;
        EXPECT_NEAR(steeringAfterFrame(t).x, -1.2 * frameSeconds * pitch, 1e-5) << settings;
    }
}

// The view turns the way the hand moves: a rock ahead of the ship slides
// left on screen when the mouse moves right, and down when it moves up.
TEST_F(ControlsTest, TheViewTurnsTheWayTheMouseMoves)
{
    Orbivane::Rendering::Renderer renderer(kWidth, kHeight, s_World, std::make_shared<Orbivane::Controls>(
        kWidth, kHeight, &s_World->m_Ship, s_World));
    auto& ship = s_World->m_Ship;
    ship.m_Orientation = glm::identity<glm::quat>();
    ship.setPosition(glm::vec3(3.0f, 18.0f, 0.0f));
    const glm::vec3 rock(-22.0f, 28.0f, 60.0f);
    s_World->m_Asteroids = {std::make_shared<Orbivane::Entities::Asteroid>(rock)};
    glViewport(0, 0, kWidth, kHeight);
    // The rock's pixels in the G-buffer: surfaces within its reach.
    const auto rockOnScreen = [&] {
        renderer.prepareFrame();
        renderer.m_GeometryPass->render(renderer.m_ViewMatrix, renderer.m_ProjectionMatrix);
        return OrbivaneTest::spotWhere(renderer.m_GBuffer.m_FBO, kWidth, kHeight, [&](const glm::vec4& surface) {
            return surface.w == 1.0f && glm::distance(glm::vec3(surface), rock) < 6.0f;
        }).centre;
    };
    s_Input->moveTo(glfwGetX11Window(s_Window), kWidth / 2, kHeight / 2);
    frame(0.05);
    const glm::vec2 before = rockOnScreen();
    ASSERT_GT(before.x, kWidth / 2 + 10.0f);
    // Moves that keep the pointer inside the window, wherever it lies on the screen.
    s_Input->moveBy(60, 0);
    frame(0.1);
    const glm::vec2 turned = rockOnScreen();
    EXPECT_LT(turned.x, before.x - 6.0f) << "right";
    EXPECT_NEAR(turned.y, before.y, 3.0f) << "right";
    s_Input->moveBy(0, -50);
    frame(0.15);
    const glm::vec2 raised = rockOnScreen();
    EXPECT_LT(raised.y, turned.y - 5.0f) << "up";
    EXPECT_NEAR(raised.x, turned.x, 3.0f) << "up";
}

// Recorded states of a controller played through the controls, frame by
// frame (this machine has no input devices). One plugged in during play
// fires at once, and a trigger it lacks does not slow the ship; the keyboard
// works beside it (W, and Tab and F1 for the score and the help). Start
// pauses and resumes once per press (held as it is plugged in, it is no
// press) and Back shows or hides the help; pulling the controller out pauses
// the game, and a game already paused stays paused.
TEST_F(ControlsTest, AControllerPluggedInDuringPlayFliesAndPullingItOutPauses)
{
    std::optional<GLFWgamepadstate> connected;
    m_Controls->m_Gamepad.readFrom([&connected] { return connected; });
    const bool score = s_Pass->m_ShowScore, help = s_Pass->m_ShowHelp;
    hold({XK_w, XK_Tab});
    frame(0.1);
    // Its left trigger missing, which GLFW reports as 0, half pulled.
    connected = pad(1.0f, 0.0f, {GLFW_GAMEPAD_BUTTON_A}, 0.0f);
    hold({XK_w, XK_F1});
    frame(0.2);
    EXPECT_TRUE(s_World->m_Ship.m_Shooting);
    EXPECT_NEAR(s_World->m_Ship.m_Speed, 200.0f, 1.0f) << "W held all along";
    EXPECT_NE(s_Pass->m_ShowScore, score);
    EXPECT_NE(s_Pass->m_ShowHelp, help);
    hold({});
    const GLFWgamepadstate rest = pad(0.0f, 0.0f);
    const GLFWgamepadstate start = pad(0.0f, 0.0f, {GLFW_GAMEPAD_BUTTON_START});
    const std::pair<std::optional<GLFWgamepadstate>, bool> steps[] = {
        {pad(0.0f, 0.0f, {GLFW_GAMEPAD_BUTTON_START, GLFW_GAMEPAD_BUTTON_BACK}), true},
        {start, true}, {rest, true}, {start, false}, {rest, false}, {std::nullopt, true}, {start, true},
        {rest, true}, {start, false}, {rest, false}, {start, true}, {std::nullopt, true}};
    double t = 0.2;
    for (const auto& [state, paused] : steps) {
        connected = state;
        frame(t += 0.1);
        EXPECT_EQ(m_Controls->m_Pause.active(), paused) << t;
    }
    EXPECT_EQ(s_Pass->m_ShowHelp, help) << "Back hid the help again";
    s_Pass->m_ShowScore = score;
}

// Enter on a finished game, which flies no more, records its score as Escape
// would, shows it in the Tab table and starts a new game at level 1's
// introduction, which a flight key ends; during play Enter does nothing.
TEST_F(ControlsTest, EnterAfterALossSavesTheScoreAndStartsAgainAtLevelOne)
{
    std::filesystem::remove(s_Dir->path() / "highscores.txt");
    s_World->getHighScore()->m_Score = 4;
    hold({XK_Return});
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { frame(0.05); }), "");
    s_World->m_Alive = false;
    hold({XK_w});
    frame(0.08);
    EXPECT_EQ(s_World->m_Ship.m_Speed, 0.0f) << "a lost game flies no more";
    hold({XK_Return});
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { frame(0.12); }), "NEW HIGHSCORES:\nMr. Gorgeous!|4\n");
    EXPECT_EQ(s_Dir->readFile("highscores.txt"), "Mr. Gorgeous!|4\n");
    EXPECT_EQ(s_Pass->m_HighScoreText.rfind("Mr. Gorgeous!\t4\n", 0), 0u) << s_Pass->m_HighScoreText;
    const Orbivane::Worlds::GameState state = s_World->update();
    EXPECT_TRUE(state.alive && state.levelIntro);
    EXPECT_EQ(state.levelNumber, 1);
    EXPECT_EQ(s_World->getHighScore()->m_Score, 0);
    EXPECT_EQ(s_World->m_Asteroids.size(), 100u);
    s_Input->tap(XK_w);
    frame(0.16);
    EXPECT_FALSE(s_World->update().levelIntro) << "a flight key ends the introduction";
}

// States recorded as a controller reports them, one frame of 0.1 s each
// after the state before: at full deflection the stick turns 1.2 radians a
// second (its pitch is tested with the mouse's settings), nothing within its
// dead zone of 0.2 and from zero beyond it; the triggers change the speed by
// their pull beyond a tenth of their travel; held buttons act in every frame,
// and a press also counts as a flight press or flips its switch once.
TEST(ControllerTest, RecordedStatesGiveTheShipsInputsAndSwitches)
{
    const int a = GLFW_GAMEPAD_BUTTON_A, lb = GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, rb = GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER;
    const int start = GLFW_GAMEPAD_BUTTON_START, back = GLFW_GAMEPAD_BUTTON_BACK;
    const GLFWgamepadstate rest = pad(0.04f, -0.07f, {}, -1.0f, -0.98f);
    // Turn right and up, roll, throttle, fire, a flight press, the switches.
    using Asked = std::tuple<float, float, float, float, bool, bool, std::vector<Switch>>;
    const std::tuple<GLFWgamepadstate, GLFWgamepadstate, Asked> cases[] = {
        {pad(0.19f, 0.0f, {}, -1.0f, -0.98f), rest, {0.0f, 0.0f, 0.0f, 0.0f, false, false, {}}},
        {pad(1.0f, 0.0f), rest, {0.12f, 0.0f, 0.0f, 0.0f, false, false, {}}},
        {pad(-0.6f, 0.0f), rest, {-0.06f, 0.0f, 0.0f, 0.0f, false, false, {}}},
        {pad(1.0f, 1.0f), rest, {0.0849f, -0.0849f, 0.0f, 0.0f, false, false, {}}},
        {pad(0.0f, 0.0f, {}, -1.0f, 1.0f), rest, {0.0f, 0.0f, 0.0f, 1.0f, false, true, {}}},
        {pad(0.0f, 0.0f, {}, 0.0f), rest, {0.0f, 0.0f, 0.0f, -0.4444f, false, true, {}}},
        {pad(0.0f, 0.0f, {}, 1.0f, 1.0f), pad(0.0f, 0.0f, {}, 1.0f, 1.0f), {0, 0, 0, 0, false, false, {}}},
        {pad(0.0f, 0.0f, {rb}), rest, {0.0f, 0.0f, 1.0f, 0.0f, false, true, {}}},
        {pad(0.0f, 0.0f, {lb, a}), pad(0.0f, 0.0f, {lb, a}), {0.0f, 0.0f, -1.0f, 0.0f, true, false, {}}},
        {pad(0.0f, 0.0f, {a}), rest, {0.0f, 0.0f, 0.0f, 0.0f, true, true, {}}},
        {pad(0.0f, 0.0f, {start, back}), rest, {0, 0, 0, 0, false, false, {Switch::Pause, Switch::Help}}},
    };
    const auto rounded = [](float value) { return std::round(value * 1e4f) / 1e4f; };
    for (const auto& [now, before, asked] : cases) {
        Orbivane::PlayerInput input;
        Orbivane::Gamepad::addTo(input, now, before, 0.1, false);
        EXPECT_EQ(Asked(rounded(input.turnRight), rounded(input.turnUp), input.roll, rounded(input.throttle),
                        input.fire, input.flightPressed, input.switches), asked);
    }
}

}
