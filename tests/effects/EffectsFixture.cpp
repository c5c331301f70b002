#include "EffectsFixture.h"

#include "support/GLTestContext.h"

namespace EffectsTest {

FrameTarget::ContextReady::ContextReady()
{
    OrbivaneTest::ensureGLContext();
}

FrameTarget::FrameTarget(unsigned int width, unsigned int height)
    : m_Width(width), m_Height(height), m_GBuffer(width, height)
{
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    glGenTextures(2, m_OutputTextures);
    glBindTexture(GL_TEXTURE_2D, m_OutputTextures[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, w, h, 0, GL_RGB, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, m_OutputTextures[1]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, w, h, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &m_OutputFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, m_OutputFBO);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_OutputTextures[0], 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_OutputTextures[1], 0);

    fillLightSources(glm::vec4(0.0f));
    fillOutput(glm::vec4(0.0f));
    glViewport(0, 0, w, h);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glFrontFace(GL_CCW);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_BLEND);
}

FrameTarget::~FrameTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &m_OutputFBO);
    glDeleteTextures(2, m_OutputTextures);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void FrameTarget::fillLightSources(const glm::vec4& color, glm::ivec4 rect) const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_GBuffer.m_FBO);
    if (rect.z > 0) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(rect.x, rect.y, rect.z, rect.w);
    }
    glClearBufferfv(GL_COLOR, 4, &color.x);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
}

void FrameTarget::fillOutput(const glm::vec4& color) const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
    glClearBufferfv(GL_COLOR, 0, &color.x);
}

std::vector<glm::vec4> FrameTarget::readOutput() const
{
    std::vector<glm::vec4> pixels(static_cast<std::size_t>(m_Width) * m_Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_OutputFBO);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height), GL_RGBA, GL_FLOAT,
                 pixels.data());
    return pixels;
}

glm::vec4 FrameTarget::outputAt(const std::vector<glm::vec4>& pixels, int x, int y) const
{
    return pixels[static_cast<std::size_t>(y) * m_Width + static_cast<std::size_t>(x)];
}

}
