#pragma once

#include "entities/IControllableEntity.h"

#include <glm/gtc/quaternion.hpp>

namespace Orbivane::Entities {

// The player's ship. Its attitude is a quaternion that accumulates the small
// rotations the controls request each frame, applied in the ship's own frame.
class Ship : public IControllableEntity {
public:
    explicit Ship(const glm::vec3& position);

    void draw() override;
    void update(const glm::mat4& viewProjectionMatrix) override;
    glm::mat4 getModelMatrix() override;
    void updateModelMatrix();

    glm::quat m_Orientation = glm::identity<glm::quat>();
};

}
