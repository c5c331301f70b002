#pragma once

#include "worlds/World.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;

namespace OrbivaneTest {

// glfwInit, retried briefly while the X server is between clients.
void initGLFW();

// A hidden window with a current OpenGL context, created once per test process
// with the same hints the game uses. Tests run under Xvfb on Mesa's llvmpipe.
GLFWwindow* ensureGLContext();

inline bool isEnabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }
inline GLint integerState(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
// One RGBA float pixel of a colour attachment of `framebuffer`.
glm::vec4 readPixel(GLuint framebuffer, int x, int y, int attachment = 0);

// The pixels of a colour attachment, or of the window's back buffer for
// framebuffer 0, that pass `test`: how many, and their mean position (x
// right, y up from the lower left corner).
struct PixelSpot {
    int count = 0;
    glm::vec2 centre{-1.0f};
};
PixelSpot spotWhere(GLuint framebuffer, int width, int height, const std::function<bool(const glm::vec4&)>& test,
                    int attachment = 0);

// A world built from the working directory's assets with its start-up
// messages swallowed; a failure to build is a test failure and gives nothing.
std::shared_ptr<Orbivane::Worlds::World> quietWorld(int width, int height);

// What `action` printed to standard output while it ran.
template <typename Action>
std::string consoleOf(Action&& action)
{
    testing::internal::CaptureStdout();
    try {
        action();
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
    return testing::internal::GetCapturedStdout();
}

}
