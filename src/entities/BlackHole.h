#pragma once

#include "entities/Entity.h"

namespace Orbivane::Entities {

// The massive body at the centre of the scene; it reflects no light.
class BlackHole : public Entity {
public:
    explicit BlackHole(const glm::vec3& position);

    void draw() override;
};

}
