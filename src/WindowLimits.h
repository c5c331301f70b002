#pragma once

#include <utility>

struct GLFWvidmode;

namespace Orbivane {

// The window's size when the settings give none.
constexpr int kDefaultWindowWidth = 640;
constexpr int kDefaultWindowHeight = 320;

// The primary monitor's current mode, or null where the display reports no
// monitor (GLFW asserts when asked for the mode of none).
const GLFWvidmode* primaryVideoMode();

// Whether the display and the OpenGL driver can hold a window of this size
// and mode. Asked before the window is made: beyond the X server's or the
// driver's limits, making it ends the process inside GLFW, Xlib or the
// renderer instead of failing.
bool windowFits(bool fullScreen, int width, int height);

// The largest side the current context's driver draws into: the game renders
// the whole window into textures and framebuffers and sets it as the viewport.
int largestDrawableSide();

// The size of the window that a game started in full screen on `screen`
// gives itself when it leaves full screen: the settings' `width` x `height`
// where such a window fits the screen and the current context draws it, else
// the default size (no larger than the screen), after one console line that
// says why.
std::pair<int, int> windowedSize(int width, int height, const GLFWvidmode& screen);

// How much larger than on a plain desktop things must be drawn to look the
// same size: the primary monitor's content scale (on X11 the desktop's
// Xft.dpi over 96), or 1 where there is no monitor or no usable scale.
float desktopScale();

// The window when the settings name no size: the default size times
// `scale`, made smaller where that would not fit the primary monitor's work
// area, but never smaller than the default size for that reason.
std::pair<int, int> defaultWindowSize(float scale);

}
