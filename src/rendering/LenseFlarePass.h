#pragma once

#include "rendering/FlareSource.h"
#include "rendering/GBuffer.h"

#include <GL/glew.h>

#include <vector>

namespace Orbivane::Worlds {
class World;
}

namespace Orbivane::Rendering {

// Draws four flare elements for every sun whose centre is on screen and not
// hidden, on the line from the sun through the screen centre.
class LenseFlarePass {
public:
    static constexpr unsigned int ElementCount = 4;

    LenseFlarePass(GBuffer* gBuffer, GLuint outputFBO, unsigned int width, unsigned int height,
                   Worlds::World* world);
    // The flare textures belong to the texture cache; only the quad is ours.
    ~LenseFlarePass();
    LenseFlarePass(const LenseFlarePass&) = delete;
    LenseFlarePass& operator=(const LenseFlarePass&) = delete;

    void render();
    std::vector<FlareSource> visibleSources();

    GLuint m_FlareTextures[ElementCount] = {};
    GLuint m_VAO = 0;
    GLuint m_VBO = 0;
    GLuint m_Program = 0;
    GLint m_Locations[7] = {};
    std::vector<float> m_QuadVertices;
    GLuint m_OutputFBO;
    unsigned int m_Width;
    unsigned int m_Height;
    Worlds::World* m_World;
    GBuffer* m_GBuffer;
    float m_MaxStrength;
    float m_MinStrength;

private:
    // Falls with the source's distance from the camera and from the screen centre.
    float strength(const FlareSource& source) const;
    void drawElement(const FlareSource& source, float sourceStrength, unsigned int element);
};

}
