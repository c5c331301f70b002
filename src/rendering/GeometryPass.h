#pragma once

#include <glm/glm.hpp>

namespace Orbivane::Worlds {
class World;
}

namespace Orbivane::Rendering {

class GBuffer;

// First pass of a frame: every visible entity and the sky write their
// surface data into the G-buffer.
class GeometryPass {
public:
    GeometryPass(unsigned int width, unsigned int height, GBuffer* gBuffer, Worlds::World* world, bool dumpGBuffer);

    void render(const glm::mat4& viewMatrix, const glm::mat4& projectionMatrix);
    void dumpGBuffer();

    unsigned int m_Width;
    unsigned int m_Height;
    Worlds::World* m_World;
    GBuffer* m_GBuffer;
    bool m_DumpGBuffer;
};

}
