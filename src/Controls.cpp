#include "Controls.h"

#include "entities/Ship.h"
#include "helpers/PlaySound.h"
#include "helpers/TextureManager.h"
#include "rendering/GUIPass.h"
#include "worlds/World.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cmath>
#include <iostream>
#include <numeric>
#include <sstream>
#include <utility>

namespace Orbivane {

using Helpers::PlayMode;
using Helpers::PlaySound;
using Helpers::TextureManager;

namespace {

const char* const kEngineSound = "res\\sounds\\engine.wav";

// A held toggle key flips its switch again only after this long.
constexpr double kToggleGuardSeconds = 0.2;
constexpr std::size_t kFpsSamples = 25;
constexpr double kFpsTextSeconds = 1.0;
// A paused game draws the same picture; it waits for input this long between
// frames instead of drawing as fast as it can.
constexpr double kPausedFrameSeconds = 1.0 / 30.0;

struct KeyBinding {
    int key;
    int alternativeKey;
    int action;
};

// Tested in this order; the first key down wins.
constexpr std::array<KeyBinding, 14> kBindings{{
    {GLFW_KEY_SPACE, GLFW_KEY_UNKNOWN, Controls::Shoot},
    {GLFW_KEY_ESCAPE, GLFW_KEY_UNKNOWN, Controls::Quit},
    {GLFW_KEY_LEFT, GLFW_KEY_UNKNOWN, Controls::RollLeft},
    {GLFW_KEY_RIGHT, GLFW_KEY_UNKNOWN, Controls::RollRight},
    {GLFW_KEY_W, GLFW_KEY_UP, Controls::Accelerate},
    {GLFW_KEY_S, GLFW_KEY_DOWN, Controls::Decelerate},
    {GLFW_KEY_TAB, GLFW_KEY_UNKNOWN, Controls::ToggleScore},
    {GLFW_KEY_F1, GLFW_KEY_UNKNOWN, Controls::ToggleHelp},
    {GLFW_KEY_F2, GLFW_KEY_UNKNOWN, Controls::ToggleFps},
    {GLFW_KEY_F3, GLFW_KEY_UNKNOWN, Controls::ToggleWireframe},
    {GLFW_KEY_F4, GLFW_KEY_UNKNOWN, Controls::SwitchTextureSampling},
    {GLFW_KEY_F5, GLFW_KEY_UNKNOWN, Controls::SwitchMipmapping},
    {GLFW_KEY_F8, GLFW_KEY_UNKNOWN, Controls::ToggleCulling},
    {GLFW_KEY_F9, GLFW_KEY_UNKNOWN, Controls::ToggleTransparency},
}};

bool isDown(GLFWwindow* window, int key)
{
    return key != GLFW_KEY_UNKNOWN && glfwGetKey(window, key) == GLFW_PRESS;
}

// Rolling, speed and shooting: what a paused game ignores.
bool flies(int action)
{
    return action >= Controls::RollLeft && action <= Controls::Shoot;
}

Controls* controlsOf(GLFWwindow* window)
{
    return static_cast<Controls*>(glfwGetWindowUserPointer(window));
}

}

Controls::Controls(unsigned width, unsigned height, Entities::Ship* ship, std::shared_ptr<Worlds::World> world)
    : m_Width(width), m_Height(height), m_LastCursorX(width * 0.5), m_LastCursorY(height * 0.5),
      m_LastFrameTime(glfwGetTime()), m_World(std::move(world)), m_Ship(ship), m_LastScoreToggle(glfwGetTime()),
      m_LastHelpToggle(glfwGetTime()), m_LastFpsToggle(glfwGetTime()), m_LastFpsSample(glfwGetTime()),
      m_LastFpsTextUpdate(glfwGetTime())
{
    m_LastToggle.fill(glfwGetTime());
}

void Controls::setGuiPass(std::shared_ptr<Rendering::GUIPass> guiPass)
{
    m_GUIPass = std::move(guiPass);
}

void Controls::listenTo(GLFWwindow* window)
{
    glfwSetWindowUserPointer(window, this);
    glfwSetKeyCallback(window, &Controls::onKey);
    glfwSetWindowFocusCallback(window, &Controls::onFocus);
}

// Key presses arrive here as events, so that a tap shorter than a frame still counts.
void Controls::onKey(GLFWwindow* window, int key, int, int action, int mods)
{
    Controls* controls = controlsOf(window);
    if (controls == nullptr || action != GLFW_PRESS) {
        return;
    }
    const bool altEnter = (key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER) && (mods & GLFW_MOD_ALT) != 0;
    if (key == GLFW_KEY_P) {
        controls->m_PausePressed = true;
    } else if (key == GLFW_KEY_F11 || altEnter) {
        controls->m_FullScreenRequested = true;
    } else if (key == GLFW_KEY_F12) {
        controls->m_ScreenshotRequested = true;
    }
}

void Controls::onFocus(GLFWwindow* window, int focused)
{
    Controls* controls = controlsOf(window);
    if (controls != nullptr && focused == GLFW_FALSE) {
        controls->m_FocusLost = true;
    }
}

void Controls::update(GLFWwindow* window)
{
    if (m_ShowFps) {
        updateFps();
        showTitle(window, m_Title + " " + m_FpsText);
    } else {
        showTitle(window, m_Title);
    }
    const double frameSeconds = glfwGetTime() - m_LastFrameTime;
    m_LastFrameTime = glfwGetTime();

    if (m_Pause.active()) {
        glfwWaitEventsTimeout(kPausedFrameSeconds);
    } else {
        glfwPollEvents();
    }
    // A focus that went and came back within one frame (the window system
    // handing it over) is no loss; focus coming back later does not resume,
    // the player may not be ready.
    const bool focusLost =
        std::exchange(m_FocusLost, false) && glfwGetWindowAttrib(window, GLFW_FOCUSED) == GLFW_FALSE;
    if (std::exchange(m_PausePressed, false) || (focusLost && !m_Pause.active())) {
        togglePause();
    }
    const int action = getInput(window);
    m_Ship->m_Shooting = false;
    carryOut(action, window, frameSeconds);
    // A paused game keeps taking the mouse's movement, so that play resumes without a jolt.
    steerWithMouse(window, m_Pause.active() ? 0.0f : static_cast<float>(frameSeconds) * 0.1f);
}

void Controls::showTitle(GLFWwindow* window, const std::string& title)
{
    // A new title reaches the window as an event, which would end a paused
    // game's wait for input at once: only a change is sent.
    if (title != m_ShownTitle) {
        glfwSetWindowTitle(window, title.c_str());
        m_ShownTitle = title;
    }
}

void Controls::togglePause()
{
    if (m_Pause.active()) {
        shiftTimeStamps(-m_Pause.end());
        PlaySound::instance().setPaused(false);
        return;
    }
    m_Pause.begin();
    // The camera would apply steering left pending when it follows the ship.
    m_Ship->resetRotation();
    PlaySound::instance().setPaused(true);
}

void Controls::shiftTimeStamps(double seconds)
{
    for (double* stamp : {&m_LastFrameTime, &m_LastScoreToggle, &m_LastHelpToggle, &m_LastFpsToggle,
                          &m_LastFpsSample, &m_LastFpsTextUpdate}) {
        *stamp += seconds;
    }
    for (double& stamp : m_LastToggle) {
        stamp += seconds;
    }
}

int Controls::getInput(GLFWwindow* window)
{
    for (const KeyBinding& binding : kBindings) {
        if ((m_Pause.active() && flies(binding.action)) ||
            (!isDown(window, binding.key) && !isDown(window, binding.alternativeKey))) {
            continue;
        }
        if (binding.action == Quit) {
            m_World->getHighScore()->save();
        }
        return binding.action;
    }
    return None;
}

void Controls::carryOut(int action, GLFWwindow* window, double frameSeconds)
{
    const float speedStep = static_cast<float>(frameSeconds) * 1000.0f;
    switch (action) {
    case RollLeft:
        m_Ship->setRotationZ(-static_cast<float>(frameSeconds));
        break;
    case RollRight:
        m_Ship->setRotationZ(static_cast<float>(frameSeconds));
        break;
    case Accelerate:
        m_Ship->accelerate(speedStep);
        PlaySound::instance().play(kEngineSound, PlayMode::Loop);
        break;
    case Decelerate:
        m_Ship->accelerate(-speedStep);
        if (m_Ship->m_Speed == 0.0f) {
            PlaySound::instance().play(kEngineSound, PlayMode::Stop);
        }
        break;
    case Shoot:
        m_Ship->m_Shooting = true;
        break;
    case Quit:
        glfwSetWindowShouldClose(window, GL_TRUE);
        break;
    case None:
        break;
    default:
        toggle(action);
        break;
    }
}

void Controls::toggle(int action)
{
    double* stamp = nullptr;
    switch (action) {
    case ToggleScore: stamp = &m_LastScoreToggle; break;
    case ToggleHelp: stamp = &m_LastHelpToggle; break;
    case ToggleFps: stamp = &m_LastFpsToggle; break;
    case ToggleWireframe: stamp = &m_LastToggle[0]; break;
    case SwitchTextureSampling: stamp = &m_LastToggle[1]; break;
    case SwitchMipmapping: stamp = &m_LastToggle[2]; break;
    case ToggleCulling: stamp = &m_LastToggle[3]; break;
    case ToggleTransparency: stamp = &m_LastToggle[4]; break;
    default: return;
    }
    if (glfwGetTime() - *stamp <= kToggleGuardSeconds) {
        return;
    }
    *stamp = glfwGetTime();
    m_SwitchFlipped = true;

    switch (action) {
    case ToggleScore:
        if (m_GUIPass) {
            m_GUIPass->m_ShowScore = !m_GUIPass->m_ShowScore;
        }
        break;
    case ToggleHelp:
        if (m_GUIPass) {
            m_GUIPass->m_ShowHelp = !m_GUIPass->m_ShowHelp;
        }
        break;
    case ToggleFps:
        m_ShowFps = !m_ShowFps;
        break;
    case ToggleWireframe:
        glPolygonMode(GL_FRONT_AND_BACK, m_Wireframe ? GL_FILL : GL_LINE);
        m_Wireframe = !m_Wireframe;
        break;
    case SwitchTextureSampling: switchTextureSampling(); break;
    case SwitchMipmapping: switchMipmapping(); break;
    case ToggleCulling: toggleCulling(); break;
    case ToggleTransparency: toggleTransparency(); break;
    default: break;
    }
}

void Controls::steerWithMouse(GLFWwindow* window, float factor)
{
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    const double dx = x - m_LastCursorX;
    const double dy = y - m_LastCursorY;
    m_LastCursorX = x;
    m_LastCursorY = y;
    m_Ship->setRotationX(-(static_cast<float>(dx) * factor));
    m_Ship->setRotationY(static_cast<float>(dy) * factor);
}

void Controls::switchTextureSampling()
{
    TextureManager& textures = TextureManager::instance();
    if (textures.sampleMode() == 1) {
        textures.setSampleMode(0);
        m_Title = m_BaseTitle + " Texture sample quality: Linear";
    } else {
        textures.setSampleMode(1);
        m_Title = m_BaseTitle + " Texture sample quality: Nearest";
    }
}

void Controls::switchMipmapping()
{
    TextureManager& textures = TextureManager::instance();
    switch (textures.sampleMode()) {
    case 2:
        textures.setSampleMode(3);
        m_Title = m_BaseTitle + " Mip mapping quality: Trilinear";
        break;
    case 3:
        textures.setSampleMode(0);
        m_Title = m_BaseTitle + " Mip mapping quality: Off";
        break;
    default:
        textures.setSampleMode(2);
        m_Title = m_BaseTitle + " Mip mapping quality: Nearest";
        break;
    }
}

void Controls::toggleCulling()
{
    m_World->m_CullingEnabled = !m_World->m_CullingEnabled;
    if (m_World->m_CullingEnabled) {
        m_Title = m_BaseTitle + " Frustum Culling ON";
        std::cout << "Frustum Culling turned ON";
    } else {
        m_World->m_Frustum.m_CulledCount = 0;
        m_Title = m_BaseTitle + " Frustum Culling OFF";
        std::cout << "Frustum Culling turned OFF";
    }
}

void Controls::toggleTransparency()
{
    if (!m_GUIPass) {
        return;
    }
    m_GUIPass->m_Transparency = !m_GUIPass->m_Transparency;
    if (m_GUIPass->m_Transparency) {
        m_Title = m_BaseTitle + " Transparency turned ON";
        std::cout << "Transparency turned ON";
    } else {
        m_Title = m_BaseTitle + " Transparency turned OFF";
        std::cout << "Transparency turned OFF";
    }
}

void Controls::updateFps()
{
    const double sample = glfwGetTime() - m_LastFpsSample;
    m_LastFpsSample = glfwGetTime();
    m_FrameTimes.push_back(sample);
    if (m_FrameTimes.size() > kFpsSamples) {
        m_FrameTimes.pop_front();
    }
    if (glfwGetTime() - m_LastFpsTextUpdate <= kFpsTextSeconds) {
        return;
    }
    m_LastFpsTextUpdate = glfwGetTime();
    const double average = std::accumulate(m_FrameTimes.begin(), m_FrameTimes.end(), 0.0) /
                           static_cast<double>(m_FrameTimes.size());
    std::ostringstream text;
    text << "FPS: " << std::floor(1.0 / average) << ", deltaT unfiltered: " << std::floor(sample * 1000.0) << "ms\n";
    m_FpsText = text.str();
}

}
