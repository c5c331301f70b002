#include "WindowLimits.h"

#include "App.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <climits>

namespace Orbivane {

namespace {

// X11 carries window sizes and positions in 16 bits, the positions signed.
constexpr int kLargestXSide = 32767;

// The largest side the driver draws into: the game renders the whole window
// into textures and framebuffers and sets it as the viewport. Made with the
// game's own context hints, so it is the same driver the game gets; a
// limit the context does not know leaves its value alone.
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
    GLint texture = INT_MAX, renderbuffer = INT_MAX, framebufferWidth = INT_MAX, framebufferHeight = INT_MAX;
    GLint viewport[2] = {INT_MAX, INT_MAX};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_WIDTH, &framebufferWidth);
    glGetIntegerv(GL_MAX_FRAMEBUFFER_HEIGHT, &framebufferHeight);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glfwMakeContextCurrent(previous);
    glfwDestroyWindow(probe);
    return std::min({texture, renderbuffer, framebufferWidth, framebufferHeight, viewport[0], viewport[1]});
}

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
    const int driverSide = largestDriverSide();
    return width <= driverSide && height <= driverSide;
}

}
