#include "KeyboardMouse.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <iterator>

namespace Orbivane {

namespace {

using Switch = PlayerInput::Switch;

// A 60-pixel flick of the mouse turns the ship by a tenth of a radian.
constexpr float kRadiansPerPixel = 0.1f / 60.0f;

struct SwitchKey {
    int key;
    Switch action;
};

constexpr SwitchKey kSwitchKeys[] = {
    {GLFW_KEY_TAB, Switch::Score},
    {GLFW_KEY_F1, Switch::Help},
    {GLFW_KEY_F2, Switch::Fps},
    {GLFW_KEY_F3, Switch::Wireframe},
    {GLFW_KEY_F4, Switch::TextureSampling},
    {GLFW_KEY_F5, Switch::Mipmapping},
    {GLFW_KEY_F8, Switch::Culling},
    {GLFW_KEY_F9, Switch::Transparency},
    {GLFW_KEY_P, Switch::Pause},
    {GLFW_KEY_F11, Switch::FullScreen},
    {GLFW_KEY_F12, Switch::Screenshot},
    {GLFW_KEY_M, Switch::Mute},
    {GLFW_KEY_ESCAPE, Switch::Quit},
    {GLFW_KEY_ENTER, Switch::PlayAgain},
    {GLFW_KEY_KP_ENTER, Switch::PlayAgain},
};

// The keys that fly the ship: each adds its share to one control while active.
struct FlightKey {
    int key;
    float roll;
    float throttle;
    bool fire;
};

constexpr FlightKey kFlightKeys[] = {
    {GLFW_KEY_LEFT, -1.0f, 0.0f, false},
    {GLFW_KEY_RIGHT, 1.0f, 0.0f, false},
    {GLFW_KEY_W, 0.0f, 1.0f, false},
    {GLFW_KEY_UP, 0.0f, 1.0f, false},
    {GLFW_KEY_S, 0.0f, -1.0f, false},
    {GLFW_KEY_DOWN, 0.0f, -1.0f, false},
    {GLFW_KEY_SPACE, 0.0f, 0.0f, true},
};

bool isFlightKey(int key)
{
    return std::any_of(std::begin(kFlightKeys), std::end(kFlightKeys), [key](const FlightKey& flight) {
        return flight.key == key;
    });
}

}

KeyboardMouse::KeyboardMouse(double cursorX, double cursorY, const Steering& steering)
    : m_LastCursorX(cursorX), m_LastCursorY(cursorY), m_TurnPerPixelRight(kRadiansPerPixel * steering.mouseSensitivity),
      m_TurnPerPixelUp(m_TurnPerPixelRight * (steering.invertPitch ? -1.0f : 1.0f))
{
}

void KeyboardMouse::onKey(int key, int action, int mods)
{
    if (action != GLFW_PRESS) {
        return;
    }
    const bool enter = key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER;
    if (enter && (mods & GLFW_MOD_ALT) != 0) {
        m_Switches.push_back(Switch::FullScreen);
        return;
    }
    for (const SwitchKey& binding : kSwitchKeys) {
        if (binding.key == key) {
            m_Switches.push_back(binding.action);
        }
    }
    if (isFlightKey(key)) {
        m_PressedKeys.push_back(key);
    }
}

bool KeyboardMouse::active(GLFWwindow* window, int key) const
{
    return glfwGetKey(window, key) == GLFW_PRESS ||
           std::find(m_PressedKeys.begin(), m_PressedKeys.end(), key) != m_PressedKeys.end();
}

void KeyboardMouse::read(GLFWwindow* window, PlayerInput& input)
{
    for (const FlightKey& flight : kFlightKeys) {
        if (active(window, flight.key)) {
            input.roll += flight.roll;
            input.throttle += flight.throttle;
            input.fire = input.fire || flight.fire;
        }
    }
    input.flightPressed = input.flightPressed || !m_PressedKeys.empty();
    m_PressedKeys.clear();
    input.switches.insert(input.switches.end(), m_Switches.begin(), m_Switches.end());
    m_Switches.clear();

    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    // Window rows grow downwards: moving the mouse up turns the nose up.
    input.turnRight += static_cast<float>(x - m_LastCursorX) * m_TurnPerPixelRight;
    input.turnUp -= static_cast<float>(y - m_LastCursorY) * m_TurnPerPixelUp;
    m_LastCursorX = x;
    m_LastCursorY = y;
}

}
