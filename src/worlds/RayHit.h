#pragma once

#include <glm/glm.hpp>

namespace Orbivane::Worlds {

struct Ray {
    glm::vec3 origin;
    glm::vec3 direction;
};

struct Sphere {
    glm::vec3 centre;
    float radius;
};

struct RayHit {
    bool hit = false;
    float distance = 0.0f;
    glm::vec3 point{0.0f};
};

}
