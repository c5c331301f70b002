#include "Gamepad.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Orbivane {

namespace {

using Switch = PlayerInput::Switch;

// A stick at rest seldom reads exactly zero: nearer the centre than this
// share of its travel it counts as centred, and beyond it the turn grows
// from zero, so that leaving the dead zone gives no jolt.
constexpr float kStickDeadZone = 0.2f;
// A trigger at rest may read a little above released, too.
constexpr float kTriggerDeadZone = 0.1f;
// The stick's position is held over time, not a total like a mouse
// movement, so it turns at a rate: at full deflection 1.2 radians a second,
// as a brisk mouse sweep of 12 pixels a frame at 60 frames a second (the
// default window's width in under a second) turns the nose.
constexpr float kStickRadiansPerSecond = 1.2f;

bool down(const GLFWgamepadstate& state, int button)
{
    return state.buttons[button] == GLFW_PRESS;
}

bool pressed(const GLFWgamepadstate& now, const GLFWgamepadstate& before, int button)
{
    return down(now, button) && !down(before, button);
}

// How far a trigger is pulled, from 0 to 1; GLFW reports -1 for released.
float pull(const GLFWgamepadstate& state, int axis)
{
    const float travel = (state.axes[axis] + 1.0f) * 0.5f;
    return std::clamp((travel - kTriggerDeadZone) / (1.0f - kTriggerDeadZone), 0.0f, 1.0f);
}

// The left stick's deflection right and down, each from -1 to 1, with the
// dead zone taken out of its distance from the centre.
std::pair<float, float> deflection(const GLFWgamepadstate& state)
{
    const float x = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
    const float y = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
    const float distance = std::hypot(x, y);
    if (distance <= kStickDeadZone) {
        return {0.0f, 0.0f};
    }
    // Square gates read up to 1.4 in the corners.
    const float scale = std::min(1.0f, (distance - kStickDeadZone) / (1.0f - kStickDeadZone)) / distance;
    return {x * scale, y * scale};
}

}

Gamepad::Gamepad(const Steering& steering) : m_InvertPitch(steering.invertPitch) {}

void Gamepad::readFrom(Reader reader)
{
    m_Reader = std::move(reader);
    m_Before.reset();
}

bool Gamepad::read(PlayerInput& input, double frameSeconds)
{
    std::optional<GLFWgamepadstate> now = m_Reader();
    const bool lost = m_Before && !now;
    if (!m_Before) {
        m_TriggerReleased = {};
    }
    if (now) {
        ignoreTriggersNeverReleased(*now);
        // What a controller holds as it is connected counts as held, not pressed.
        addTo(input, *now, m_Before.value_or(*now), frameSeconds, m_InvertPitch);
    }
    m_Before = now;
    return lost;
}

void Gamepad::ignoreTriggersNeverReleased(GLFWgamepadstate& state)
{
    const int triggers[] = {GLFW_GAMEPAD_AXIS_LEFT_TRIGGER, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER};
    for (std::size_t i = 0; i < m_TriggerReleased.size(); ++i) {
        m_TriggerReleased[i] = m_TriggerReleased[i] || pull(state, triggers[i]) == 0.0f;
        if (!m_TriggerReleased[i]) {
            state.axes[triggers[i]] = -1.0f;
        }
    }
}

void Gamepad::addTo(PlayerInput& input, const GLFWgamepadstate& now, const GLFWgamepadstate& before,
                    double frameSeconds, bool invertPitch)
{
    const auto [right, pulledBack] = deflection(now);
    const float turn = kStickRadiansPerSecond * static_cast<float>(frameSeconds);
    input.turnRight += right * turn;
    // The stick's y grows downwards: pushed forward, it turns the nose up.
    input.turnUp += (invertPitch ? pulledBack : -pulledBack) * turn;

    input.roll += static_cast<float>(down(now, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER)) -
                  static_cast<float>(down(now, GLFW_GAMEPAD_BUTTON_LEFT_BUMPER));
    const float faster = pull(now, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER);
    const float slower = pull(now, GLFW_GAMEPAD_AXIS_LEFT_TRIGGER);
    input.throttle += faster - slower;
    input.fire = input.fire || down(now, GLFW_GAMEPAD_BUTTON_A);

    const bool triggerPulled = (faster > 0.0f && pull(before, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER) == 0.0f) ||
                               (slower > 0.0f && pull(before, GLFW_GAMEPAD_AXIS_LEFT_TRIGGER) == 0.0f);
    input.flightPressed = input.flightPressed || triggerPulled || pressed(now, before, GLFW_GAMEPAD_BUTTON_A) ||
                          pressed(now, before, GLFW_GAMEPAD_BUTTON_LEFT_BUMPER) ||
                          pressed(now, before, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER);

    if (pressed(now, before, GLFW_GAMEPAD_BUTTON_START)) {
        input.switches.push_back(Switch::Pause);
    }
    if (pressed(now, before, GLFW_GAMEPAD_BUTTON_BACK)) {
        input.switches.push_back(Switch::Help);
    }
}

std::optional<GLFWgamepadstate> Gamepad::firstConnected()
{
    for (int joystick = GLFW_JOYSTICK_1; joystick <= GLFW_JOYSTICK_LAST; ++joystick) {
        GLFWgamepadstate state;
        if (glfwJoystickIsGamepad(joystick) == GLFW_TRUE && glfwGetGamepadState(joystick, &state) == GLFW_TRUE) {
            return state;
        }
    }
    return std::nullopt;
}

}
