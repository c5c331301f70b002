#pragma once

#include "PlayerInput.h"
#include "Steering.h"

#include <vector>

struct GLFWwindow;

namespace Orbivane {

// The keyboard and the mouse as a source of the player's input. Key presses
// arrive as events, so none is lost however slow the frame: a flight key
// tapped between two frames acts for one frame, a switch flips once per press.
class KeyboardMouse {
public:
    // The cursor position that the first frame's movement is measured from.
    KeyboardMouse(double cursorX, double cursorY, const Steering& steering);

    // One key event of the window, as GLFW's key callback reports it.
    void onKey(int key, int action, int mods);
    // Adds to `input` what the keys and the mouse ask for since the last read.
    void read(GLFWwindow* window, PlayerInput& input);

private:
    // Down now, or pressed at some moment since the last read.
    bool active(GLFWwindow* window, int key) const;

    std::vector<int> m_PressedKeys;
    std::vector<PlayerInput::Switch> m_Switches;
    double m_LastCursorX;
    double m_LastCursorY;
    // Radians of turn for a pixel of movement right, and up.
    float m_TurnPerPixelRight;
    float m_TurnPerPixelUp;
};

}
