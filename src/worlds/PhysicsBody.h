#pragma once

#include <glm/glm.hpp>

namespace Orbivane::Worlds {

struct PhysicsBody {
    float mass = 0.0f;
    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
    bool absorbed = false;
};

}
