#include "WindowLimits.h"

#include "App.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <climits>
#include <iostream>
#include <cmath>

namespace Orbivane {

namespace {

// X11 carries window sizes and positions in 16 bits, the positions signed.
constexpr int kLargestXSide = 32767;

// Every OpenGL 4.3 context holds textures, render buffers, framebuffers and
// viewports of at least this many pixels a side: only a larger window needs
// a probe context, which costs as much as the game's own at every start.
constexpr int kSideEveryContextHolds = 16384;

// The largest side of the driver the game gets: the probe is made with the
// game's own context hints.
int largestDriverSide()
{
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* probe = App::createContextWindow(1, 1, "", nullptr);
    glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
    if (probe == nullptr) {
        // Making the game's window will fail the same way, and say so.
        return INT_MAX;
    }
    GLFWwindow* previous = glfwGetCurrentContext();
    glfwMakeContextCurrent(probe);
    const int side = largestDrawableSide();
    glfwMakeContextCurrent(previous);
    glfwDestroyWindow(probe);
    return side;
}

}

// A limit the context does not know leaves its value alone.
int largestDrawableSide()
{
    GLint texture = INT_MAX, renderbuffer = INT_MAX, framebufferWidth = INT_MAX, framebufferHeight = INT_MAX;
    GLint viewport[2] = {INT_MAX, INT_MAX};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_WIDTH, &framebufferWidth);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_HEIGHT, &framebufferHeight);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({texture, renderbuffer, framebufferWidth, framebufferHeight, viewport[0], viewport[1]});
}

const GLFWvidmode* primaryVideoMode()
{
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    return monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
}

bool windowFits(bool fullScreen, int width, int height)
{
    if (fullScreen && primaryVideoMode() == nullptr) {
        return false;
    }
    // GLFW asserts on a size below one instead of failing.
    if (width <= 0 || height <= 0 || width > kLargestXSide || height > kLargestXSide) {
        return false;
    }
    if (width <= kSideEveryContextHolds && height <= kSideEveryContextHolds) {
        return true;
    }
    const int driverSide = largestDriverSide();
    return width <= driverSide && height <= driverSide;
}

std::pair<int, int> windowedSize(int width, int height, const GLFWvidmode& screen)
{
    const int driverSide = largestDrawableSide();
    const int largestWidth = std::min(screen.width, driverSide);
    const int largestHeight = std::min(screen.height, driverSide);
    if (width >= 1 && height >= 1 && width <= largestWidth && height <= largestHeight) {
        return {width, height};
    }
    const std::pair<int, int> fallback(std::min(kDefaultWindowWidth, largestWidth),
                                       std::min(kDefaultWindowHeight, largestHeight));
    std::cout << "Window size " << width << "x" << height << " does not fit the screen (" << screen.width << "x"
              << screen.height << "); leaving full screen gives a " << fallback.first << "x" << fallback.second
              << " window\n";
    return fallback;
}

float desktopScale()
{
    float scale = 1.0f;
    float vertical = 1.0f;
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
        glfwGetMonitorContentScale(monitor, &scale, &vertical);
    }
    return std::isfinite(scale) && scale > 0.0f ? scale : 1.0f;
}

std::pair<int, int> defaultWindowSize(float scale)
{
    float fitting = scale;
    int x = 0, y = 0, width = 0, height = 0;
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
        glfwGetMonitorWorkarea(monitor, &x, &y, &width, &height);
    }
    const auto defaultWidth = static_cast<float>(kDefaultWindowWidth);
    const auto defaultHeight = static_cast<float>(kDefaultWindowHeight);
    if (width > 0 && height > 0) {
        fitting = std::min({scale, static_cast<float>(width) / defaultWidth, static_cast<float>(height) / defaultHeight});
    }
    fitting = std::max(fitting, std::min(scale, 1.0f));
    return {static_cast<int>(std::lround(defaultWidth * fitting)), static_cast<int>(std::lround(defaultHeight * fitting))};
}

}
