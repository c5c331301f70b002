#include "entities/ShipEngine.h"

#include "entities/Ship.h"
#include "helpers/TextureManager.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace Orbivane::Entities {

namespace {

// One radian per second of spin for every five units per second of ship speed.
constexpr float SpeedPerSpinRate = 5.0f;
const glm::vec3 MountOffset(1.0f, 2.5f, -6.0f);

}

ShipEngine::ShipEngine(Ship* ship, int side)
    : Entity(glm::vec3(0.0f), glm::vec3(0.0f)), m_Ship(ship), m_Side(side), m_LastTime(glfwGetTime())
{
    m_Model = std::make_shared<Models::Model>("res\\models\\ShipEngine.obj");
    m_Texture = Helpers::TextureManager::instance().loadTexture("res\\textures\\ShipEngine.png");
}

glm::mat4 ShipEngine::getModelMatrix()
{
    const float side = m_Side != 0 ? -1.0f : 1.0f;
    const glm::vec3 velocity = m_Ship->getVelocity();
    const double squaredSpeed = static_cast<double>(velocity.x * velocity.x + velocity.y * velocity.y
                                                    + velocity.z * velocity.z);
    const auto speed = static_cast<float>(std::sqrt(squaredSpeed));

    const double now = glfwGetTime();
    m_SpinAngle += static_cast<float>(now - m_LastTime) * speed / SpeedPerSpinRate;
    m_LastTime = glfwGetTime();

    const glm::vec3 offset(side * MountOffset.x, MountOffset.y, MountOffset.z);
    const glm::mat4 mounted = glm::translate(m_Ship->m_ModelMatrix, offset);
    return glm::rotate(mounted, m_SpinAngle, glm::vec3(0.0f, 0.0f, 1.0f));
}

}
