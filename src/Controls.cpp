#include "Controls.h"

#include "entities/Ship.h"
#include "helpers/PlaySound.h"
#include "helpers/TextureManager.h"
#include "rendering/GUIPass.h"
#include "worlds/World.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
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

using Switch = PlayerInput::Switch;

const char* const kEngineSound = "res\\sounds\\engine.wav";

constexpr std::size_t kFpsSamples = 25;
constexpr double kFpsTextSeconds = 1.0;
// A paused game draws the same picture; it waits for input this long between
// frames instead of drawing as fast as it can.
constexpr double kPausedFrameSeconds = 1.0 / 30.0;
// Full throttle changes the speed by this much a second (a full roll turns
// the ship by a radian a second).
constexpr float kSpeedPerSecond = 1000.0f;

Controls* controlsOf(GLFWwindow* window)
{
    return static_cast<Controls*>(glfwGetWindowUserPointer(window));
}

}

Controls::Controls(unsigned width, unsigned height, Entities::Ship* ship, std::shared_ptr<Worlds::World> world)
    : m_Width(width), m_Height(height), m_LastFrameTime(glfwGetTime()), m_World(std::move(world)), m_Ship(ship),
      m_LastFpsSample(glfwGetTime()), m_LastFpsTextUpdate(glfwGetTime()),
      m_Steering(Steering::fromSettings()), m_KeyboardMouse(width * 0.5, height * 0.5, m_Steering),
      m_Gamepad(m_Steering)
{
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

void Controls::onKey(GLFWwindow* window, int key, int, int action, int mods)
{
    Controls* controls = controlsOf(window);
    if (controls != nullptr) {
        controls->m_KeyboardMouse.onKey(key, action, mods);
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
    PlayerInput input;
    m_KeyboardMouse.read(window, input);
    // A controller pulled out mid-game leaves the ship to fly on unsteered.
    const bool gamepadLost = m_Gamepad.read(input, frameSeconds);
    if ((focusLost || gamepadLost) && !m_Pause.active()) {
        togglePause();
    }
    apply(input, window, frameSeconds);
}

void Controls::apply(const PlayerInput& input, GLFWwindow* window, double frameSeconds)
{
    for (const Switch action : input.switches) {
        flip(action, window);
    }
    m_Ship->m_Shooting = false;
    // A paused game keeps taking the mouse's movement, so that play resumes
    // without a jolt; a finished one has no ship to fly (nor an engine to hear).
    if (m_Pause.active() || m_World->gameOver()) {
        return;
    }
    if (input.flightPressed) {
        m_World->endIntro();
    }
    fly(input, frameSeconds);
}

void Controls::fly(const PlayerInput& input, double frameSeconds)
{
    const auto seconds = static_cast<float>(frameSeconds);
    // The ship's Euler angles are pitch (x), yaw (y) and roll (z), its nose
    // along +z; seen from behind, a positive yaw swings the nose to the left
    // of the screen and a positive pitch lowers it.
    m_Ship->setRotationX(-input.turnUp);
    m_Ship->setRotationY(-input.turnRight);
    m_Ship->setRotationZ(std::clamp(input.roll, -1.0f, 1.0f) * seconds);
    const float throttle = std::clamp(input.throttle, -1.0f, 1.0f);
    if (throttle > 0.0f) {
        m_Ship->accelerate(throttle * kSpeedPerSecond * seconds);
        PlaySound::instance().play(kEngineSound, PlayMode::Loop);
    } else if (throttle < 0.0f) {
        m_Ship->accelerate(throttle * kSpeedPerSecond * seconds);
        if (m_Ship->m_Speed == 0.0f) {
            PlaySound::instance().play(kEngineSound, PlayMode::Stop);
        }
    }
    m_Ship->m_Shooting = input.fire;
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
    for (double* stamp : {&m_LastFrameTime, &m_LastFpsSample, &m_LastFpsTextUpdate}) {
        *stamp += seconds;
    }
}

void Controls::flip(Switch action, GLFWwindow* window)
{
    switch (action) {
    case Switch::Pause: togglePause(); return;
    case Switch::FullScreen: m_FullScreenRequested = true; return;
    case Switch::Screenshot: m_ScreenshotRequested = true; return;
    case Switch::Mute: toggleMute(); return;
    case Switch::Quit:
        m_World->getHighScore()->save();
        glfwSetWindowShouldClose(window, GL_TRUE);
        return;
    case Switch::PlayAgain: playAgain(); return;
    case Switch::Score:
        if (m_GUIPass) {
            m_GUIPass->m_ShowScore = !m_GUIPass->m_ShowScore;
        }
        break;
    case Switch::Help:
        if (m_GUIPass) {
            m_GUIPass->m_ShowHelp = !m_GUIPass->m_ShowHelp;
        }
        break;
    case Switch::Fps: m_ShowFps = !m_ShowFps; break;
    case Switch::Wireframe:
        glPolygonMode(GL_FRONT_AND_BACK, m_Wireframe ? GL_FILL : GL_LINE);
        m_Wireframe = !m_Wireframe;
        break;
    case Switch::TextureSampling: switchTextureSampling(); break;
    case Switch::Mipmapping: switchMipmapping(); break;
    case Switch::Culling: toggleCulling(); break;
    case Switch::Transparency: toggleTransparency(); break;
    }
    m_SwitchFlipped = true;
}

// Only a finished game starts again, and its score goes into the table first,
// exactly as quitting would record it.
void Controls::playAgain()
{
    if (m_Pause.active() || !m_World->gameOver()) {
        return;
    }
    m_World->getHighScore()->save();
    m_World->restart();
    if (m_GUIPass) {
        m_GUIPass->tableSaved();
    }
    PlaySound::instance().play(kEngineSound, PlayMode::Stop);
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

void Controls::toggleMute()
{
    PlaySound& sound = PlaySound::instance();
    sound.setMuted(!sound.muted());
    m_Title = m_BaseTitle + (sound.muted() ? " Sound muted" : " Sound on");
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
    text << "FPS: " << std::floor(1.0 / average) << ", deltaT unfiltered: " << std::floor(sample * 1000.0) << "ms";
    if (m_ScenePercent < 100) {
        text << ", scene: " << m_ScenePercent << "%";
    }
    text << "\n";
    m_FpsText = text.str();
}

}
