#pragma once

#include "Gamepad.h"
#include "KeyboardMouse.h"
#include "Pause.h"
#include "PlayerInput.h"

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

// Applies the player's input, once per frame after the buffer swap: the
// flight controls to the ship, which the world's next step moves, and the
// switches to the display, the pause and the game. The devices (keyboard and
// mouse, game controller) only say what the player asks for; this is where
// it takes effect.
class Controls {
public:
    Controls(unsigned width, unsigned height, Entities::Ship* ship, std::shared_ptr<Worlds::World> world);

    void setGuiPass(std::shared_ptr<Rendering::GUIPass> guiPass);
    // Receives the window's key events and focus changes.
    void listenTo(GLFWwindow* window);
    void update(GLFWwindow* window);
    // Every switch pressed, in order, then the flight controls, which a
    // paused or finished game ignores.
    void apply(const PlayerInput& input, GLFWwindow* window, double frameSeconds);
    void updateFps();

    std::string m_Title;
    std::string m_BaseTitle;
    unsigned m_Width;
    unsigned m_Height;
    double m_LastFrameTime;
    std::shared_ptr<Worlds::World> m_World;
    Entities::Ship* m_Ship;
    std::shared_ptr<Rendering::GUIPass> m_GUIPass;
    bool m_ShowFps = false;
    std::string m_FpsText = "Calculating...";
    double m_LastFpsSample;
    double m_LastFpsTextUpdate;
    std::list<double> m_FrameTimes;
    // The scene's width in percent of the window's, set by the frame loop;
    // below 100 the read-out names it.
    int m_ScenePercent = 100;
    bool m_Wireframe = false;
    Pause m_Pause;
    // Read once: a bad value is reported once, for both devices.
    Steering m_Steering;
    KeyboardMouse m_KeyboardMouse;
    Gamepad m_Gamepad;
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
    void flip(PlayerInput::Switch action, GLFWwindow* window);
    void fly(const PlayerInput& input, double frameSeconds);
    void playAgain();
    void switchTextureSampling();
    void switchMipmapping();
    void toggleCulling();
    void toggleTransparency();
    void toggleMute();

    std::string m_ShownTitle;
    bool m_FocusLost = false;
};

}
