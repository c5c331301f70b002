#pragma once

#include "rendering/GBuffer.h"

#include <GL/glew.h>

#include <vector>

namespace Orbivane::Rendering {

struct ChainSize {
    unsigned int width;
    unsigned int height;
};

// Makes light sources glow: the emitted-light attachment of the G-buffer is
// blurred through a chain of ever smaller textures, alternating horizontal and
// vertical steps, and the horizontal ones are added onto the output image.
class BrightPass {
public:
    static constexpr unsigned int ChainLength = 8;

    BrightPass(GBuffer* gBuffer, GLuint outputFBO, unsigned int width, unsigned int height);
    ~BrightPass();
    BrightPass(const BrightPass&) = delete;
    BrightPass& operator=(const BrightPass&) = delete;

    void blur();
    void blend();

    // Size of chain texture `step`; truncated, never rounded.
    static ChainSize chainSize(unsigned int step, unsigned int width, unsigned int height);

    bool m_DumpGBuffer = false;
    GLuint m_OutputFBO;
    GBuffer* m_GBuffer;
    unsigned int m_Width;
    unsigned int m_Height;
    GLuint m_BlurFBOs[ChainLength] = {};
    GLuint m_BlurTextures[ChainLength] = {};
    GLuint m_BlurProgram = 0;
    GLuint m_BlurVAO = 0;
    GLuint m_BlurVBO = 0;
    GLint m_BlurLocations[5] = {};
    std::vector<float> m_BlurQuad;
    GLuint m_BlendProgram = 0;
    GLuint m_BlendVAO = 0;
    GLuint m_BlendVBO = 0;
    GLint m_BlurTexLocation = 0;
    std::vector<float> m_BlendQuad;

private:
    void release();
    void createTextures();
    void createPrograms();
    void blurStep(GLuint sourceTexture, unsigned int i);
};

}
