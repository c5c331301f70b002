#include "entities/BlackHole.h"

#include "helpers/TextureManager.h"

namespace Orbivane::Entities {

BlackHole::BlackHole(const glm::vec3& position) : Entity(position, glm::vec3(0.0f))
{
    m_Mass = 10000.0f;
    m_Radius = 10.0f;
    m_Scale = 2.0f;
    m_Model = std::make_shared<Models::Model>("res\\models\\BlackHole.obj");
    m_Texture = Helpers::TextureManager::instance().loadTexture("res\\textures\\BlackHole.png");
}

void BlackHole::draw()
{
    drawWithMaterial(0.0f, 0.0f, 0.0f);
}

}
