#include "rendering/BrightPass.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/IniSettings.h"
#include "helpers/ShaderManager.h"
#include "rendering/FramebufferDump.h"
#include "rendering/ScreenQuad.h"
#include "rendering/TargetTexture.h"

#include <string>

namespace Orbivane::Rendering {

namespace {

constexpr float BlurMagnitude = 1.25f;
constexpr GLenum ColorAttachment0 = GL_COLOR_ATTACHMENT0;
constexpr GLint BlendedLevels = BrightPass::ChainLength / 2;

}

BrightPass::BrightPass(GBuffer* gBuffer, GLuint outputFBO, unsigned int width, unsigned int height)
    : m_OutputFBO(outputFBO), m_GBuffer(gBuffer), m_Width(width), m_Height(height), m_BlurQuad(makeScreenQuad()),
      m_BlendQuad(m_BlurQuad)
{
    createTextures();
    createPrograms();
    m_DumpGBuffer = Helpers::IniSettings::getFlag("DumpGBuffer", false);
}

BrightPass::~BrightPass()
{
    release();
}

void BrightPass::release()
{
    glDeleteFramebuffers(ChainLength, m_BlurFBOs);
    glDeleteTextures(ChainLength, m_BlurTextures);
    glDeleteVertexArrays(1, &m_BlurVAO);
    glDeleteBuffers(1, &m_BlurVBO);
    glDeleteVertexArrays(1, &m_BlendVAO);
    glDeleteBuffers(1, &m_BlendVBO);
}

ChainSize BrightPass::chainSize(unsigned int step, unsigned int width, unsigned int height)
{
    // Even steps shrink the width to the next level, odd steps the height.
    const unsigned int level = step / 2;
    const float widthFactor = 1.0f / static_cast<float>((level + 1) * 3);
    float heightFactor = widthFactor;
    if (step == 0) {
        heightFactor = 1.0f;
    } else if (step % 2 == 0) {
        heightFactor = 1.0f / static_cast<float>(level * 3);
    }
    const float scaledWidth = static_cast<float>(width) * widthFactor;
    const float scaledHeight = static_cast<float>(height) * heightFactor;
    return {static_cast<unsigned int>(scaledWidth), static_cast<unsigned int>(scaledHeight)};
}

void BrightPass::createTextures()
{
    glGenFramebuffers(ChainLength, m_BlurFBOs);
    glGenTextures(ChainLength, m_BlurTextures);
    for (unsigned int i = 0; i < ChainLength; ++i) {
        const ChainSize size = chainSize(i, m_Width, m_Height);
        glBindFramebuffer(GL_FRAMEBUFFER, m_BlurFBOs[i]);
        glBindTexture(GL_TEXTURE_2D, m_BlurTextures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, static_cast<GLsizei>(size.width),
                     static_cast<GLsizei>(size.height), 0, GL_RGB, GL_FLOAT, nullptr);
        setTargetSampling(GL_LINEAR);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_BlurTextures[i], 0);
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            // No destructor runs for a pass that fails to construct.
            release();
            throw Helpers::ExceptionWithMsg("BrightPass creation failed. Error: " + std::to_string(status));
        }
    }
}

void BrightPass::createPrograms()
{
    uploadScreenQuad(m_BlurQuad, GL_STATIC_DRAW, m_BlurVAO, m_BlurVBO);
    m_BlurProgram = Helpers::ShaderManager::instance().getProgram("BrightPassBlur");
    const char* const blurUniforms[5] = {"lightSources", "width", "height", "magnitude", "blurDirection"};
    for (int i = 0; i < 5; ++i) {
        m_BlurLocations[i] = glGetUniformLocation(m_BlurProgram, blurUniforms[i]);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);

    uploadScreenQuad(m_BlendQuad, GL_STATIC_DRAW, m_BlendVAO, m_BlendVBO);
    m_BlendProgram = Helpers::ShaderManager::instance().getProgram("BrightPassBlend");
    m_BlurTexLocation = glGetUniformLocation(m_BlendProgram, "blurTex");
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void BrightPass::blur()
{
    for (unsigned int i = 0; i < ChainLength; ++i) {
        GLuint source = 0;
        if (i == 0) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, m_GBuffer->m_FBO);
            glReadBuffer(GL_COLOR_ATTACHMENT4);
            source = m_GBuffer->m_Textures[4];
        } else {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, m_BlurFBOs[i - 1]);
            glReadBuffer(GL_COLOR_ATTACHMENT0);
            source = m_BlurTextures[i - 1];
        }
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_BlurFBOs[i]);
        glDrawBuffers(1, &ColorAttachment0);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        blurStep(source, i);

        if (m_DumpGBuffer) {
            const ChainSize size = chainSize(i, m_Width, m_Height);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, m_BlurFBOs[i]);
            glReadBuffer(GL_COLOR_ATTACHMENT0);
            saveFramebufferBMP(static_cast<int>(size.width), static_cast<int>(size.height),
                               "out\\brightPass_Tex" + std::to_string(i) + ".bmp");
        }
    }
}

void BrightPass::blurStep(GLuint sourceTexture, unsigned int i)
{
    glUseProgram(m_BlurProgram);
    glBindVertexArray(m_BlurVAO);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sourceTexture);
    glUniform1i(m_BlurLocations[0], 0);
    glUniform1f(m_BlurLocations[1], static_cast<float>(m_Width));
    glUniform1f(m_BlurLocations[2], static_cast<float>(m_Height));
    glUniform1f(m_BlurLocations[3], BlurMagnitude);
    glUniform1i(m_BlurLocations[4], static_cast<GLint>(i & 1u));

    const ChainSize size = chainSize(i, m_Width, m_Height);
    glViewport(0, 0, static_cast<GLsizei>(size.width), static_cast<GLsizei>(size.height));
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glViewport(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height));

    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

void BrightPass::blend()
{
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
    glDrawBuffers(1, &ColorAttachment0);
    glBindVertexArray(m_BlendVAO);
    glUseProgram(m_BlendProgram);
    // The horizontally blurred levels, one texture unit each, go on in one
    // draw: the output is read and written once instead of once per level.
    GLint units[BlendedLevels];
    for (GLint level = BlendedLevels - 1; level >= 0; --level) {
        units[level] = level;
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(level));
        glBindTexture(GL_TEXTURE_2D, m_BlurTextures[2 * level]);
    }
    glUniform1iv(m_BlurTexLocation, BlendedLevels, units);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_BlurFBOs[ChainLength - 2]);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    for (GLint level = BlendedLevels - 1; level >= 0; --level) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(level));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glBindVertexArray(0);
    glUseProgram(0);
}

}
