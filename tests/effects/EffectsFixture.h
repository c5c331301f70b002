#pragma once

#include "rendering/GBuffer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <vector>

namespace EffectsTest {

// A G-buffer and an output framebuffer laid out like the renderer's
// (RGBA32F colour, 32-bit float depth), both cleared to zero, with the GL state
// that the passes before the effects leave: culling of front faces on, depth
// test, depth writes and blending off, output bound for drawing.
class FrameTarget {
public:
    FrameTarget(unsigned int width, unsigned int height);
    ~FrameTarget();
    FrameTarget(const FrameTarget&) = delete;
    FrameTarget& operator=(const FrameTarget&) = delete;

    // Fills the emitted-light attachment; with a size, only that rectangle.
    void fillLightSources(const glm::vec4& color, glm::ivec4 rect = glm::ivec4(-1)) const;
    void fillOutput(const glm::vec4& color) const;
    std::vector<glm::vec4> readOutput() const;
    glm::vec4 outputAt(const std::vector<glm::vec4>& pixels, int x, int y) const;

    struct ContextReady {
        ContextReady();
    } m_Context;
    unsigned int m_Width;
    unsigned int m_Height;
    Orbivane::Rendering::GBuffer m_GBuffer;
    GLuint m_OutputFBO = 0;
    GLuint m_OutputTextures[2] = {};
};

}
