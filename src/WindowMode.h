#pragma once

struct GLFWwindow;

namespace Orbivane {

// Switches the game's window between full screen, on the monitor the window
// is on at that monitor's current video mode, and the place and size it had
// as a window.
class WindowMode {
public:
    // `windowedWidth` x `windowedHeight` is the window's size when a game that
    // started in full screen leaves it; it is then centred on its monitor.
    WindowMode(int windowedWidth, int windowedHeight);

    void toggle(GLFWwindow* window);

private:
    int m_X = 0;
    int m_Y = 0;
    int m_Width;
    int m_Height;
    bool m_PlaceKnown = false;
};

}
