#pragma once

#include "WindowLimits.h"
#include "WindowMode.h"
#include "helpers/ScreenshotWriter.h"

#include <memory>
#include <utility>

struct GLFWwindow;
struct GLFWmonitor;

namespace Orbivane {

class Controls;
class SceneScaleController;

namespace Worlds {
class World;
struct GameState;
}
namespace Rendering {
class Renderer;
}

// Opens the window and its context, builds the game and runs the frame loop.
class App {
public:
    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    void run();
    void createWindow(bool fullScreen, int width, int height, const char* title);

    // Creates a window whose context offers what the renderer needs (4.3 or
    // newer, with debug output) where the driver has it, else the driver's
    // default context. Shared with the tests so they run on the same context.
    static GLFWwindow* createContextWindow(int width, int height, const char* title, GLFWmonitor* monitor);

    GLFWwindow* m_Window = nullptr;
    std::shared_ptr<Worlds::World> m_World;
    std::shared_ptr<Controls> m_Controls;
    std::shared_ptr<Rendering::Renderer> m_Renderer;

private:
    // The renderer follows the window's framebuffer size; returns whether
    // the picture's size changed.
    bool followWindowSize();
    // A frame of the paused game: the last picture, or with `redraw` the
    // picture drawn anew as it stood when play stopped, and "PAUSED" over it.
    void drawPausedFrame(const Worlds::GameState& state, bool redraw);
    // A fixed scene scale from the settings, or the automatic one.
    void setUpSceneScale();
    // After each shown frame: the automatic scale learns how long a frame of
    // the scene took, and the read-out how large the scene is drawn.
    void followFrameRate(bool sceneShown);

    WindowMode m_WindowMode{kDefaultWindowWidth, kDefaultWindowHeight};
    std::pair<int, int> m_FramebufferSize;
    // Whether each swap waits for the display.
    bool m_VerticalSync = true;
    // Only with "RenderScale=auto".
    std::unique_ptr<SceneScaleController> m_SceneScale;
    // When the last frame of the scene was shown; negative after any other frame.
    double m_LastSceneShown = -1.0;
    // Its thread needs neither the window nor the context: the shots still
    // being written are finished as the App goes, after GLFW has ended.
    Helpers::ScreenshotWriter m_Screenshots;
};

}
