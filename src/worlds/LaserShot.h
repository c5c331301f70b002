#pragma once

#include <glm/glm.hpp>

#include <limits>

namespace Orbivane::Worlds {

// A shot of the laser as the player sees it: the beam ends at `end`, on the
// rock it hit or at the laser's reach.
struct LaserShot {
    glm::vec3 end{0.0f};
    // The clock when it was fired.
    double time = -std::numeric_limits<double>::infinity();
};

}
