#include "WindowMode.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>

namespace Orbivane {

namespace {

struct Area {
    int x, y, width, height;
};

Area monitorArea(GLFWmonitor* monitor)
{
    Area area{0, 0, 0, 0};
    glfwGetMonitorPos(monitor, &area.x, &area.y);
    if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
        area.width = mode->width;
        area.height = mode->height;
    }
    return area;
}

int overlap(const Area& a, const Area& b)
{
    const int width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const int height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return std::max(0, width) * std::max(0, height);
}

// The monitor that shows most of the window; the primary one when none does,
// and none where the display reports no monitor.
GLFWmonitor* monitorOf(GLFWwindow* window)
{
    if (GLFWmonitor* current = glfwGetWindowMonitor(window)) {
        return current;
    }
    Area placed{0, 0, 0, 0};
    glfwGetWindowPos(window, &placed.x, &placed.y);
    glfwGetWindowSize(window, &placed.width, &placed.height);
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    GLFWmonitor* best = glfwGetPrimaryMonitor();
    int bestOverlap = 0;
    for (int i = 0; i < count; ++i) {
        const int shared = overlap(placed, monitorArea(monitors[i]));
        if (shared > bestOverlap) {
            best = monitors[i];
            bestOverlap = shared;
        }
    }
    return best;
}

}

WindowMode::WindowMode(int windowedWidth, int windowedHeight) : m_Width(windowedWidth), m_Height(windowedHeight) {}

void WindowMode::toggle(GLFWwindow* window)
{
    GLFWmonitor* monitor = monitorOf(window);
    if (monitor == nullptr) {
        return;
    }
    if (glfwGetWindowMonitor(window) == nullptr) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (mode == nullptr) {
            return;
        }
        glfwGetWindowPos(window, &m_X, &m_Y);
        glfwGetWindowSize(window, &m_Width, &m_Height);
        m_PlaceKnown = true;
        glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
        return;
    }
    if (!m_PlaceKnown) {
        const Area area = monitorArea(monitor);
        m_X = area.x + (area.width - m_Width) / 2;
        m_Y = area.y + (area.height - m_Height) / 2;
    }
    glfwSetWindowMonitor(window, nullptr, m_X, m_Y, m_Width, m_Height, GLFW_DONT_CARE);
}

}
