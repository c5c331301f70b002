#pragma once

#include "entities/Entity.h"

namespace Orbivane::Entities {

// A rock that spins about its diagonal while the black hole pulls it in.
class Asteroid final : public Entity {
public:
    explicit Asteroid(const glm::vec3& position);

    void draw() override;
    glm::mat4 getModelMatrix() override;
};

}
