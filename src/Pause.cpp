#include "Pause.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace Orbivane {

void Pause::begin()
{
    m_Active = true;
    m_StartedAt = glfwGetTime();
}

double Pause::end()
{
    m_Active = false;
    const double paused = glfwGetTime() - m_StartedAt;
    glfwSetTime(m_StartedAt);
    return paused;
}

void Pause::atPauseTime(const std::function<void()>& action) const
{
    const double now = glfwGetTime();
    glfwSetTime(m_StartedAt);
    action();
    glfwSetTime(now + (glfwGetTime() - m_StartedAt));
}

}
