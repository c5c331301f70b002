#pragma once

#include "rendering/GBuffer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <string>
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

    // Fills the emitted-light attachment; with a size, only that rectangle.
    void fillLightSources(const glm::vec4& color, glm::ivec4 rect = glm::ivec4(-1)) const;
    void fillOutput(const glm::vec4& color) const;
    // The output read back; at() picks one pixel of the last read.
    // Not copyable: it owns its GL objects (and the G-buffer).
    const std::vector<glm::vec4>& read();
    glm::vec4 at(glm::ivec2 p) const { return m_Pixels[static_cast<std::size_t>(p.y) * m_Width + p.x]; }

    unsigned int m_Width;
    unsigned int m_Height;
    std::unique_ptr<Orbivane::Rendering::GBuffer> m_GBuffer;
    GLuint m_OutputFBO = 0;
    GLuint m_OutputTextures[2] = {};
    std::vector<glm::vec4> m_Pixels;
};

// The state one pass leaves for the next, as one line to compare, with GL's
// own numbers (blend factors 1/1 are GL_ONE, culled faces 1028 GL_FRONT) and
// the viewport's size.
std::string glState(GLuint output);

}
