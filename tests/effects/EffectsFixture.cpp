#include "EffectsFixture.h"

#include <sstream>

namespace EffectsTest {

FrameTarget::FrameTarget(unsigned int width, unsigned int height)
    : m_Width(width), m_Height(height)
{
    OrbivaneTest::ensureGLContext();
    m_GBuffer = std::make_unique<Orbivane::Rendering::GBuffer>(width, height);
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    glGenTextures(2, m_OutputTextures);
    glGenFramebuffers(1, &m_OutputFBO);
    glBindFramebuffer(GL_FRAMEBUFFER, m_OutputFBO);
    const GLenum formats[2][3] = {{GL_RGBA32F, GL_RGB, GL_COLOR_ATTACHMENT0},
                                  {GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_DEPTH_ATTACHMENT}};
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, m_OutputTextures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(formats[i][0]), w, h, 0, formats[i][1], GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, formats[i][2], GL_TEXTURE_2D, m_OutputTextures[i], 0);
    }
    fillLightSources(glm::vec4(0.0f));
    fillOutput(glm::vec4(0.0f));
    glViewport(0, 0, w, h);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_BLEND);
}

FrameTarget::~FrameTarget()
{
    glDeleteFramebuffers(1, &m_OutputFBO);
    glDeleteTextures(2, m_OutputTextures);
}

void FrameTarget::fillLightSources(const glm::vec4& color, glm::ivec4 rect) const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_GBuffer->m_FBO);
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

const std::vector<glm::vec4>& FrameTarget::read()
{
    m_Pixels.resize(static_cast<std::size_t>(m_Width) * m_Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_OutputFBO);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height), GL_RGBA, GL_FLOAT,
                 m_Pixels.data());
    return m_Pixels;
}

std::string glState(GLuint output)
{
    using namespace OrbivaneTest;
    std::ostringstream state;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    state << "blend "
          << (isEnabled(GL_BLEND) ? std::to_string(integerState(GL_BLEND_SRC_RGB)) + "/" +
                                        std::to_string(integerState(GL_BLEND_DST_RGB))
                                  : "off")
          << ", depth test " << isEnabled(GL_DEPTH_TEST) << ", depth writes " << integerState(GL_DEPTH_WRITEMASK)
          << ", cull " << (isEnabled(GL_CULL_FACE) ? integerState(GL_CULL_FACE_MODE) : 0) << ", draw "
          << (integerState(GL_DRAW_FRAMEBUFFER_BINDING) == static_cast<GLint>(output) ? "output " : "other ")
          << viewport[2] << "x" << viewport[3] << ", error " << glGetError();
    return state.str();
}

}
