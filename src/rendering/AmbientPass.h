#pragma once

#include <GL/glew.h>

#include <vector>

namespace Orbivane::Rendering {

class GBuffer;

// Adds a little light everywhere, so that faces turned away from every light
// are dark but not black, and shows the sky, which no light reaches.
class AmbientPass {
public:
    explicit AmbientPass(GBuffer* gBuffer);
    ~AmbientPass();
    AmbientPass(const AmbientPass&) = delete;
    AmbientPass& operator=(const AmbientPass&) = delete;

    void render();

    GBuffer* m_GBuffer;
    GLuint m_Program = 0;
    GLuint m_VAO = 0;
    GLuint m_VBO = 0;
    GLint m_DiffuseTextureLocation = 0;
    std::vector<float> m_QuadVertices;
};

}
