#include "App.h"

#include "Controls.h"
#include "RememberedSceneScale.h"
#include "RenderScaleSetting.h"
#include "SceneScaleController.h"
#include "WindowLimits.h"
#include "helpers/DebugOutput.h"
#include "helpers/DefaultSettings.h"
#include "helpers/ExceptionWithMsg.h"
#include "helpers/IniSettings.h"
#include "helpers/PlaySound.h"
#include "helpers/ScreenshotWriter.h"
#include "rendering/Renderer.h"
#include "worlds/World.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <iostream>
#include <utility>

namespace Orbivane {

using Helpers::ExceptionWithMsg;
using Helpers::IniSettings;

namespace {

// Asks the current context to wait for the display at each swap, or not, and
// says on the console what was asked.
void applyVerticalSync(bool on)
{
    // Adaptive sync shows a late frame at once, tearing a little, instead of
    // holding it back a whole refresh: a game short of the display's rate
    // then loses a few frames, not half of them.
    const bool adaptive = on && glfwExtensionSupported("GLX_EXT_swap_control_tear") == GLFW_TRUE;
    const int interval = adaptive ? -1 : (on ? 1 : 0);
    glfwSwapInterval(interval);
    std::cout << "Vertical sync " << (on ? "on" : "off") << (adaptive ? ", adaptive" : "") << " (swap interval "
              << interval << "). " << (on ? "Disable" : "Enable") << " via INI setting: VSync\n";
}

}

App::App()
{
    if (glfwInit() != GLFW_TRUE) {
        throw ExceptionWithMsg("Glfw could not be initialized");
    }
    Helpers::DefaultSettings::writeIfMissing("Orbivane.ini");
    const char* title = "KOLM 2015: Orbivane";
    const bool fullScreen = IniSettings::getInt("FullScreen", 0) == 1;
    const float scale = desktopScale();
    const auto [defaultWidth, defaultHeight] = defaultWindowSize(scale);
    const int settingsWidth = IniSettings::getInt("Width", defaultWidth);
    const int settingsHeight = IniSettings::getInt("Height", defaultHeight);
    int width = settingsWidth;
    int height = settingsHeight;
    const GLFWvidmode* mode = fullScreen ? primaryVideoMode() : nullptr;
    if (mode != nullptr) {
        width = mode->width;
        height = mode->height;
    }
    createWindow(fullScreen, width, height, title);
    // A game that starts in full screen first uses the settings' size when
    // it leaves full screen; whether that fits is known once the context is.
    const auto [windowedWidth, windowedHeight] =
        mode != nullptr ? windowedSize(settingsWidth, settingsHeight, *mode) : std::pair(settingsWidth, settingsHeight);
    m_WindowMode = WindowMode(windowedWidth, windowedHeight);
    m_FramebufferSize = {width, height};
    glfwSetInputMode(m_Window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    Helpers::PlaySound::instance().setVolume(IniSettings::getIntInRange("Volume", 100, 0, 100));
    m_World = std::make_shared<Worlds::World>(width, height);
    const auto windowWidth = static_cast<unsigned>(width);
    const auto windowHeight = static_cast<unsigned>(height);
    m_Controls = std::make_shared<Controls>(windowWidth, windowHeight, &m_World->m_Ship, m_World);
    m_Controls->m_Title = title;
    m_Controls->m_BaseTitle = title;
    m_Controls->listenTo(m_Window);
    // Building the renderer can take seconds on a slow machine. The game's
    // time starts when its first frame can be shown, so that the level's
    // introduction and the life are not spent on a window without a picture.
    const double gameTime = glfwGetTime();
    m_Renderer = std::make_shared<Rendering::Renderer>(windowWidth, windowHeight, m_World, m_Controls);
    m_Renderer->m_GUIPass->setTextScale(scale);
    setUpSceneScale();
    glfwSetTime(gameTime);
}

void App::setUpSceneScale()
{
    const RenderScaleSetting setting = RenderScaleSetting::read();
    if (m_Renderer->keepsFullResolution()) {
        return;
    }
    if (setting.fixedScale) {
        m_Renderer->setSceneScale(*setting.fixedScale);
        return;
    }
    const GLFWvidmode* display = m_VerticalSync ? primaryVideoMode() : nullptr;
    const int target =
        SceneScaleController::reachableTarget(setting.targetFrameRate, display != nullptr ? display->refreshRate : 0);
    m_SceneScale = std::make_unique<SceneScaleController>(target, RememberedSceneScale::load());
    m_Renderer->setSceneScale(m_SceneScale->scale());
}

App::~App()
{
    // Everything that holds GL objects deletes them while the context lives.
    m_Renderer.reset();
    m_Controls.reset();
    m_World.reset();
    glfwTerminate();
}

void App::run()
{
    // Kept from frame to frame: a paused game draws the state it stopped in.
    Worlds::GameState state;
    while (!glfwWindowShouldClose(m_Window)) {
        const bool resized = followWindowSize();
        if (resized && m_SceneScale) {
            m_SceneScale->restart();
        }
        const bool switchFlipped = std::exchange(m_Controls->m_SwitchFlipped, false);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const bool paused = m_Controls->m_Pause.active();
        if (paused) {
            drawPausedFrame(state, resized || switchFlipped);
        } else {
            state = m_World->update();
            m_Renderer->render(state);
        }
        if (std::exchange(m_Controls->m_ScreenshotRequested, false)) {
            int width = 0;
            int height = 0;
            glfwGetFramebufferSize(m_Window, &width, &height);
            m_Screenshots.take(width, height);
        }
        glfwSwapBuffers(m_Window);
        followFrameRate(!paused && m_Renderer->m_ShownScreen == nullptr);
        m_Controls->update(m_Window);
        if (std::exchange(m_Controls->m_FullScreenRequested, false)) {
            m_WindowMode.toggle(m_Window);
        }
    }
    if (m_SceneScale) {
        RememberedSceneScale::save(m_SceneScale->scale());
    }
}

void App::followFrameRate(bool sceneShown)
{
    const double now = glfwGetTime();
    if (m_SceneScale && sceneShown && m_LastSceneShown >= 0.0 && m_SceneScale->frameDrawn(now - m_LastSceneShown)) {
        m_Renderer->setSceneScale(m_SceneScale->scale());
    }
    m_LastSceneShown = sceneShown ? now : -1.0;
    m_Controls->m_ScenePercent = m_Renderer->scenePercent();
}

bool App::followWindowSize()
{
    std::pair<int, int> size;
    glfwGetFramebufferSize(m_Window, &size.first, &size.second);
    if (size == m_FramebufferSize) {
        return false;
    }
    // A size the renderer turns down is not tried again until the window changes once more.
    m_FramebufferSize = size;
    return m_Renderer->resize(static_cast<unsigned>(std::max(size.first, 0)),
                              static_cast<unsigned>(std::max(size.second, 0)));
}

// Showing the last frame again costs next to nothing, and the controls let a
// paused game wait for input between frames, so the machine stays idle; only
// a switch that changes the picture, or a new window size, draws it anew.
void App::drawPausedFrame(const Worlds::GameState& state, bool redraw)
{
    if (redraw) {
        m_Controls->m_Pause.atPauseTime([this, &state] { m_Renderer->render(state); });
    } else {
        m_Renderer->showAgain();
    }
    m_Renderer->m_GUIPass->m_PausedText.draw();
}

GLFWwindow* App::createContextWindow(int width, int height, const char* title, GLFWmonitor* monitor)
{
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GL_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    GLFWwindow* window = glfwCreateWindow(width, height, title, monitor, nullptr);
    if (window == nullptr) {
        // Drivers without 4.3 may still run the game through extensions.
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 1);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
        window = glfwCreateWindow(width, height, title, monitor, nullptr);
    }
    return window;
}

void App::createWindow(bool fullScreen, int width, int height, const char* title)
{
    // A size or mode the system cannot provide fails like a creation.
    m_Window = windowFits(fullScreen, width, height)
        ? createContextWindow(width, height, title, fullScreen ? glfwGetPrimaryMonitor() : nullptr)
        : nullptr;
    if (m_Window == nullptr) {
        glfwTerminate();
        throw ExceptionWithMsg("Could not create (glfw)window");
    }
    glfwMakeContextCurrent(m_Window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        throw ExceptionWithMsg("Failed to init GLEW");
    }
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_DEPTH_TEST);

    if (IniSettings::getInt("GLDebugMessages", 0) == 1) {
        Helpers::enableDebugOutput();
    } else {
        std::cout << "Debug output disabled. Enable via INI setting: GLDebugMessages\n";
    }
    m_VerticalSync = IniSettings::getIntInRange("VSync", 1, 0, 1) == 1;
    applyVerticalSync(m_VerticalSync);
}

}
