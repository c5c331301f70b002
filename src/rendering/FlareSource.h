#pragma once

#include <glm/glm.hpp>

namespace Orbivane::Rendering {

// A sun whose centre is seen this frame, in normalised device coordinates.
struct FlareSource {
    float x;
    float y;
    glm::vec3 color;
    float depth;
};

}
