#pragma once

#include <glm/glm.hpp>

namespace Orbivane::Rendering {

// One particle as the GPU stores it: 48 tightly packed bytes, the same layout
// in the vertex buffers and in the transform-feedback output. Type 0 is the
// emitter itself, which travels along in the buffer; type 1 a live particle.
struct Particle {
    float type;
    glm::vec3 position;
    glm::vec3 velocity;
    glm::vec3 color;
    float size;
    float lifeTime;
};

static_assert(sizeof(Particle) == 48, "particle records are 48 bytes on the GPU");

}
