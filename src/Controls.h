#pragma once

#include "Pause.h"

#include <array>
#include <list>
#include <memory>
#include <string>

struct GLFWwindow;

namespace Orbivane {

namespace Entities {
class Ship;
}
namespace Rendering {
class GUIPass;
}
namespace Worlds {
class World;
}

// Turns the keyboard and mouse into ship input and display switches, once per
// frame after the buffer swap; the world applies the input in its next step.
class Controls {
public:
    enum Action : int {
        RollLeft = 4,
        RollRight = 5,
        Decelerate = 6,
        Accelerate = 7,
        Shoot = 8,
        Quit = 9,
        ToggleScore = 10,
        ToggleHelp = 11,
        ToggleWireframe = 12,
        ToggleFps = 13,
        SwitchTextureSampling = 14,
        SwitchMipmapping = 15,
        ToggleCulling = 16,
        ToggleTransparency = 17,
        None = 18,
    };

    Controls(unsigned width, unsigned height, Entities::Ship* ship, std::shared_ptr<Worlds::World> world);

    void setGuiPass(std::shared_ptr<Rendering::GUIPass> guiPass);
    // Receives the window's key presses that act once per press (pause,
    // full screen, screenshot) and its focus changes; they are handled in
    // `update` or by the frame loop.
    void listenTo(GLFWwindow* window);
    void update(GLFWwindow* window);
    // The action of the first key down in a fixed order: one action per frame.
    int getInput(GLFWwindow* window);
    void updateFps();

    std::string m_Title;
    std::string m_BaseTitle;
    unsigned m_Width;
    unsigned m_Height;
    double m_LastCursorX;
    double m_LastCursorY;
    double m_LastFrameTime;
    std::shared_ptr<Worlds::World> m_World;
    Entities::Ship* m_Ship;
    std::shared_ptr<Rendering::GUIPass> m_GUIPass;
    double m_LastScoreToggle;
    double m_LastHelpToggle;
    bool m_ShowFps = false;
    double m_LastFpsToggle;
    std::string m_FpsText = "Calculating...";
    double m_LastFpsSample;
    double m_LastFpsTextUpdate;
    std::list<double> m_FrameTimes;
    bool m_Wireframe = false;
    // F3, F4, F5, F8 and F9, in this order.
    std::array<double, 5> m_LastToggle;
    Pause m_Pause;
    // Set for the frame loop, which clears them when it has acted on them.
    bool m_ScreenshotRequested = false;
    bool m_FullScreenRequested = false;
    bool m_SwitchFlipped = false;

private:
    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void onFocus(GLFWwindow* window, int focused);
    void showTitle(GLFWwindow* window, const std::string& title);
    void togglePause();
    // Moves the time stamps of the controls by `seconds`, as the clock moved.
    void shiftTimeStamps(double seconds);
    void carryOut(int action, GLFWwindow* window, double frameSeconds);
    void toggle(int action);
    void steerWithMouse(GLFWwindow* window, float factor);
    void switchTextureSampling();
    void switchMipmapping();
    void toggleCulling();
    void toggleTransparency();

    std::string m_ShownTitle;
    bool m_PausePressed = false;
    bool m_FocusLost = false;
};

}
