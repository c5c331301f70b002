#include "rendering/GBuffer.h"

#include "helpers/ExceptionWithMsg.h"
#include "rendering/TargetTexture.h"

#include <string>
#include <utility>

namespace Orbivane::Rendering {

namespace {

struct AttachmentFormat {
    GLint internalFormat;
    GLint filter;
};

// Position and light sources keep full float precision: lights compare
// world positions, and the bloom works on unclamped emitted light. Only the
// light-source attachment is filtered, because the bloom samples it scaled.
constexpr AttachmentFormat Formats[5] = {
    {GL_RGBA32F, GL_NEAREST}, {GL_RGBA8, GL_NEAREST}, {GL_RGBA16F, GL_NEAREST},
    {GL_RGBA16F, GL_NEAREST}, {GL_RGBA32F, GL_LINEAR},
};

}

GBuffer::GBuffer(unsigned int width, unsigned int height)
    : m_Width(width), m_Height(height),
      m_DrawBuffers{GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2, GL_COLOR_ATTACHMENT3,
                    GL_COLOR_ATTACHMENT4}
{
    glGenFramebuffers(1, &m_FBO);
    glBindFramebuffer(GL_FRAMEBUFFER, m_FBO);
    glGenTextures(5, m_Textures);
    for (unsigned int i = 0; i < 5; ++i) {
        attachColorTexture(i, Formats[i].internalFormat, Formats[i].filter);
    }
    glGenTextures(1, &m_DepthTexture);
    glBindTexture(GL_TEXTURE_2D, m_DepthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, static_cast<GLsizei>(m_Width),
                 static_cast<GLsizei>(m_Height), 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_DepthTexture, 0);
    glDrawBuffers(static_cast<GLsizei>(m_DrawBuffers.size()), m_DrawBuffers.data());

    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        // No destructor runs for a G-buffer that fails to construct.
        release();
        throw Helpers::ExceptionWithMsg("GBuffer creation failed. Error: " + std::to_string(status));
    }

    glGenTextures(1, &m_ReflectorDepthTexture);
    glBindTexture(GL_TEXTURE_2D, m_ReflectorDepthTexture);
    glTexStorage2D(GL_TEXTURE_2D, 1, GL_DEPTH_COMPONENT32F, static_cast<GLsizei>(m_Width),
                   static_cast<GLsizei>(m_Height));
    glGenFramebuffers(1, &m_ReflectorDepthFBO);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_ReflectorDepthFBO);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_ReflectorDepthTexture, 0);
    glDrawBuffer(GL_NONE);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

GBuffer::~GBuffer()
{
    release();
}

void GBuffer::release()
{
    // Names of 0 are ignored: a moved-from G-buffer deletes nothing.
    glDeleteFramebuffers(1, &m_FBO);
    glDeleteTextures(5, m_Textures);
    glDeleteTextures(1, &m_DepthTexture);
    glDeleteFramebuffers(1, &m_ReflectorDepthFBO);
    glDeleteTextures(1, &m_ReflectorDepthTexture);
}

GBuffer::GBuffer(GBuffer&& other) noexcept : m_Width(0), m_Height(0)
{
    swap(other);
}

GBuffer& GBuffer::operator=(GBuffer&& other) noexcept
{
    swap(other);
    return *this;
}

void GBuffer::swap(GBuffer& other) noexcept
{
    std::swap(m_Width, other.m_Width);
    std::swap(m_Height, other.m_Height);
    std::swap(m_FBO, other.m_FBO);
    std::swap(m_Textures, other.m_Textures);
    std::swap(m_DepthTexture, other.m_DepthTexture);
    std::swap(m_DrawBuffers, other.m_DrawBuffers);
    std::swap(m_ReflectorDepthTexture, other.m_ReflectorDepthTexture);
    std::swap(m_ReflectorDepthFBO, other.m_ReflectorDepthFBO);
}

void GBuffer::keepReflectorDepth() const
{
    const auto width = static_cast<GLint>(m_Width);
    const auto height = static_cast<GLint>(m_Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_FBO);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_ReflectorDepthFBO);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_FBO);
}

void GBuffer::attachColorTexture(unsigned int index, GLint internalFormat, GLint filter)
{
    glBindTexture(GL_TEXTURE_2D, m_Textures[index]);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height), 0,
                 GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    setTargetSampling(filter);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + index, GL_TEXTURE_2D, m_Textures[index], 0);
}

}
