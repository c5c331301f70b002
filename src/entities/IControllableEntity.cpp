#include "entities/IControllableEntity.h"

namespace Orbivane::Entities {

IControllableEntity::IControllableEntity() : Entity(glm::vec3(0.0f), glm::vec3(0.0f)) {}

glm::vec3 IControllableEntity::getDirection()
{
    return m_Direction;
}

glm::vec3 IControllableEntity::getWorldDirection()
{
    // Through the virtual model matrix, so a ship applies its pending rotation here.
    m_WorldDirection = glm::vec3(getModelMatrix() * glm::vec4(m_Direction, 0.0f));
    return m_WorldDirection;
}

void IControllableEntity::resetWorldDirection()
{
    m_WorldDirection = getDirection();
}

void IControllableEntity::setRotationX(float angle)
{
    m_RotationX = angle;
}

void IControllableEntity::setRotationY(float angle)
{
    m_RotationY = angle;
}

void IControllableEntity::setRotationZ(float angle)
{
    m_RotationZ = angle;
}

void IControllableEntity::accelerate(float delta)
{
    m_Speed += delta;
    if (m_Speed < 0.0f) {
        m_Speed = 0.0f;
    }
}

void IControllableEntity::resetRotation()
{
    m_RotationX = 0.0f;
    m_RotationY = 0.0f;
    m_RotationZ = 0.0f;
}

void IControllableEntity::stop()
{
    m_Speed = 0.0f;
}

}
