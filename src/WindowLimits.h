#pragma once

struct GLFWvidmode;

namespace Orbivane {

// The primary monitor's current mode, or null where the display reports no
// monitor (GLFW asserts when asked for the mode of none).
const GLFWvidmode* primaryVideoMode();

// Whether the display and the OpenGL driver can hold a window of this size
// and mode. Asked before the window is made: beyond the X server's or the
// driver's limits, making it ends the process inside GLFW, Xlib or the
// renderer instead of failing.
bool windowFits(bool fullScreen, int width, int height);

}
