#pragma once

#include <GL/glew.h>

#include <vector>

namespace Orbivane::Rendering {

// Per-pixel surface data of one frame: position, diffuse colour, normal,
// lighting factors and emitted light, plus depth. The later passes read it.
class GBuffer {
public:
    GBuffer(unsigned int width, unsigned int height);
    ~GBuffer();
    GBuffer(const GBuffer&) = delete;
    GBuffer& operator=(const GBuffer&) = delete;
    // A G-buffer of a new size takes the place of the old one, whose GL
    // objects go with it; passes keep pointing at the same object.
    GBuffer(GBuffer&& other) noexcept;
    GBuffer& operator=(GBuffer&& other) noexcept;

    unsigned int m_Width;
    unsigned int m_Height;
    GLuint m_FBO = 0;
    GLuint m_Textures[5] = {};
    GLuint m_DepthTexture = 0;
    std::vector<GLenum> m_DrawBuffers;
    // The depth of the surfaces that reflect light, before the suns and the
    // black hole, which reflect none, cover them: the lights need to shade
    // only the pixels in front of this depth.
    GLuint m_ReflectorDepthTexture = 0;
    GLuint m_ReflectorDepthFBO = 0;

    // Keeps the depth drawn so far as the reflectors' depth. Leaves the
    // G-buffer bound for drawing, as it is while the geometry is drawn, and
    // for reading.
    void keepReflectorDepth() const;

private:
    void swap(GBuffer& other) noexcept;
    void release();
    void attachColorTexture(unsigned int index, GLint internalFormat, GLint filter);
};

}
