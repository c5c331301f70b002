#include "entities/Ship.h"

#include "helpers/TextureManager.h"

#include <glm/gtc/matrix_transform.hpp>

namespace Orbivane::Entities {

Ship::Ship(const glm::vec3& position)
{
    m_Direction = glm::vec3(0.0f, 0.0f, 1.0f);
    m_Position = position;
    m_Mass = 1.0f;
    m_Radius = 2.0f;
    m_Model = std::make_shared<Models::Model>("res\\models\\Ship.obj");
    m_Texture = Helpers::TextureManager::instance().loadTexture("res\\textures\\Ship.png");
}

void Ship::draw()
{
    drawWithMaterial(0.5f, 1.5f, 5.0f);
}

void Ship::update(const glm::mat4& viewProjectionMatrix)
{
    // The world's step has already stored this frame's matrix after moving the
    // ship; recomputing it here would apply the next frame's input too early.
    m_NormalMatrix = glm::transpose(glm::inverse(m_ModelMatrix));
    m_ModelViewProjectionMatrix = viewProjectionMatrix * m_ModelMatrix;
}

glm::mat4 Ship::getModelMatrix()
{
    const glm::quat frameRotation(glm::vec3(m_RotationX, m_RotationY, m_RotationZ));
    m_Orientation = m_Orientation * frameRotation;
    resetRotation();

    const glm::mat4 translation = glm::translate(glm::mat4(1.0f), m_Position);
    return translation * glm::mat4_cast(m_Orientation) * glm::scale(glm::mat4(1.0f), glm::vec3(m_Scale));
}

void Ship::updateModelMatrix()
{
    m_ModelMatrix = getModelMatrix();
}

}
