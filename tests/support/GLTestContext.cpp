#include "support/GLTestContext.h"

#include "App.h"
#include "helpers/ExceptionWithMsg.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace OrbivaneTest {

namespace {

std::string g_LastGLFWError;

}

// Xvfb resets itself whenever its last client disconnects, and refuses
// connections while it does. When suites run one after another on one server
// (ctest under xvfb-run), a suite that starts just as the previous one exits
// can land in that window; a short bounded retry outlasts it, while a missing
// display still fails within a second.
void initGLFW()
{
    glfwSetErrorCallback([](int, const char* description) { g_LastGLFWError = description; });
    for (int attempt = 0; glfwInit() != GLFW_TRUE; ++attempt) {
        if (attempt == 20) {
            throw std::runtime_error("GLFW could not be initialised (" + g_LastGLFWError + "); run the tests under xvfb-run");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

GLFWwindow* ensureGLContext()
{
    static GLFWwindow* const window = [] {
        initGLFW();
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        GLFWwindow* created = Orbivane::App::createContextWindow(64, 64, "test", nullptr);
        if (created == nullptr) {
            throw std::runtime_error("no OpenGL context");
        }
        glfwMakeContextCurrent(created);
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            throw std::runtime_error("GLEW could not be initialised");
        }
        return created;
    }();
    return window;
}

glm::vec4 readPixel(GLuint framebuffer, int x, int y, int attachment)
{
    glm::vec4 value(-1.0f);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + attachment));
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, &value[0]);
    return value;
}

PixelSpot spotWhere(GLuint framebuffer, int width, int height, const std::function<bool(const glm::vec4&)>& test,
                    int attachment)
{
    std::vector<glm::vec4> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(framebuffer == 0 ? GL_BACK : static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + attachment));
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
    PixelSpot spot;
    glm::vec2 sum(0.0f);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (test(pixels[i])) {
            ++spot.count;
            sum += glm::vec2(static_cast<float>(i % width), static_cast<float>(i / width)) + 0.5f;
        }
    }
    if (spot.count > 0) {
        spot.centre = sum / static_cast<float>(spot.count);
    }
    return spot;
}

std::shared_ptr<Orbivane::Worlds::World> quietWorld(int width, int height)
{
    std::shared_ptr<Orbivane::Worlds::World> world;
    try {
        consoleOf([&] { world = std::make_shared<Orbivane::Worlds::World>(width, height); });
    } catch (const Orbivane::Helpers::ExceptionWithMsg& e) {
        ADD_FAILURE() << e.m_Message;
    }
    return world;
}

}
