#include "support/GLTestContext.h"

#include "App.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <stdexcept>

namespace OrbivaneTest {

GLFWwindow* ensureGLContext()
{
    static GLFWwindow* window = nullptr;
    if (window != nullptr) {
        return window;
    }
    if (glfwInit() != GLFW_TRUE) {
        throw std::runtime_error("GLFW could not be initialised; run the tests under xvfb-run");
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = Orbivane::App::createContextWindow(64, 64, "test", nullptr);
    if (window == nullptr) {
        throw std::runtime_error("no OpenGL context");
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        throw std::runtime_error("GLEW could not be initialised");
    }
    return window;
}

}
