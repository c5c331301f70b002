#pragma once

#include "PlayerInput.h"
#include "Steering.h"

// GLEW's header must come before any other that declares OpenGL, GLFW's too.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <array>
#include <functional>
#include <optional>

namespace Orbivane {

// A game controller as a source of the player's input, through GLFW's
// gamepad mapping: the left stick steers, the triggers speed up and slow
// down, the shoulder buttons roll, A fires, Start pauses and Back shows the
// help. GLFW reports a controller's state, not its presses, so a press is a
// button down now that was up in the frame before.
class Gamepad {
public:
    // The state of the controller in use, or nothing while none is connected.
    using Reader = std::function<std::optional<GLFWgamepadstate>()>;

    explicit Gamepad(const Steering& steering);

    // Adds what the controller asks for over this frame; true when the
    // controller in use was disconnected since the last read.
    bool read(PlayerInput& input, double frameSeconds);
    // Where the states come from; the first connected controller unless set.
    void readFrom(Reader reader);

    // What `now` asks for over a frame of `frameSeconds`, given the state of
    // the frame before: held controls act in every frame, switches once per press.
    static void addTo(PlayerInput& input, const GLFWgamepadstate& now, const GLFWgamepadstate& before,
                      double frameSeconds, bool invertPitch);
    // The first joystick that GLFW's mapping database knows as a gamepad,
    // looked for in every frame, so that one plugged in during play is used at once.
    static std::optional<GLFWgamepadstate> firstConnected();

private:
    // A trigger that a controller lacks reads 0, as if half pulled, and some
    // drivers report an untouched one so: a trigger counts only once it has
    // been seen released since the controller was connected.
    void ignoreTriggersNeverReleased(GLFWgamepadstate& state);

    bool m_InvertPitch;
    Reader m_Reader = firstConnected;
    std::optional<GLFWgamepadstate> m_Before;
    std::array<bool, 2> m_TriggerReleased{};
};

}
