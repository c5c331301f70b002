#pragma once

namespace Orbivane {

// How the player likes to steer, read once from the settings and shared by
// the devices that steer.
struct Steering {
    // Multiplies the turn for a mouse movement, on both axes.
    float mouseSensitivity = 1.0f;
    // Pushing the mouse or the stick forward lowers the nose, as an aircraft's stick does.
    bool invertPitch = false;

    // A missing key gives its default; a bad value gives it too, with a console line naming the key.
    static Steering fromSettings();
};

}
