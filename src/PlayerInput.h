#pragma once

#include <vector>

namespace Orbivane {

// What the player asks for in one frame, whatever the device: the keyboard
// and mouse, or a game controller, each add to the same set, and the controls
// apply it to the ship and the game's switches.
struct PlayerInput {
    // The switches act once per press, never again while held.
    enum class Switch {
        Score,
        Help,
        Fps,
        Wireframe,
        TextureSampling,
        Mipmapping,
        Culling,
        Transparency,
        Pause,
        FullScreen,
        Screenshot,
        Mute,
        Quit,
        PlayAgain,
    };

    // Radians over this frame; a mouse movement is already a total over its
    // frame, so no frame time enters. Negative turns left or down.
    float turnRight = 0.0f;
    float turnUp = 0.0f;
    // From -1 to 1, a share of the full rate per second: roll left to right,
    // brake to thrust.
    float roll = 0.0f;
    float throttle = 0.0f;
    bool fire = false;
    // A flight control went down this frame (a press, not a key held from before).
    bool flightPressed = false;
    // In the order they were pressed; a switch pressed twice is listed twice.
    std::vector<Switch> switches;
};

}
