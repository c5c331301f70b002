#include "entities/Asteroid.h"

#include "helpers/TextureManager.h"

#include <glm/gtc/matrix_transform.hpp>

namespace Orbivane::Entities {

Asteroid::Asteroid(const glm::vec3& position) : Entity(position, glm::vec3(0.0f))
{
    m_Mass = 1.0f;
    m_Radius = 5.0f;
    m_DetailLevels = Models::DetailLevels::of("res\\models\\Asteroid.obj", 2);
    m_Model = m_DetailLevels->m_Levels.front().model;
    m_Texture = Helpers::TextureManager::instance().loadTexture("res\\textures\\asteroid.png");
}

void Asteroid::draw()
{
    drawWithMaterial(0.6f, 0.2f, 2.5f);
}

glm::mat4 Asteroid::getModelMatrix()
{
    // The world advances the spin angle in the z component of the rotation.
    const float spin = m_Rotation.z;
    return glm::rotate(Entity::getModelMatrix(), spin, glm::vec3(1.0f, 1.0f, 1.0f));
}

}
