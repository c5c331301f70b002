#include "rendering/LightingPass.h"

#include "helpers/ShaderManager.h"
#include "rendering/GBuffer.h"
#include "worlds/World.h"

namespace Orbivane::Rendering {

namespace {

const char* const SamplerNames[4] = {"positionTexture", "diffuseTexture", "normalTexture", "lightParamsTexture"};

enum PointLightLocation { ScreenSize = 4, CameraPosition = 5 };

}

LightingPass::LightingPass(unsigned int width, unsigned int height, GLuint outputFBO, GBuffer* gBuffer,
                           std::shared_ptr<Worlds::World> world)
    : m_Width(width), m_Height(height), m_World(std::move(world)), m_OutputFBO(outputFBO), m_GBuffer(gBuffer)
{
    Helpers::ShaderManager& shaders = Helpers::ShaderManager::instance();
    m_PointLightProgram = shaders.getProgram("PointLight");
    for (int i = 0; i < 4; ++i) {
        m_PointLightLocations[i] = glGetUniformLocation(m_PointLightProgram, SamplerNames[i]);
    }
    m_PointLightLocations[ScreenSize] = glGetUniformLocation(m_PointLightProgram, "screenSize");
    m_PointLightLocations[CameraPosition] = glGetUniformLocation(m_PointLightProgram, "cameraPosition");
    glUseProgram(m_PointLightProgram);
    glUniform2f(m_PointLightLocations[ScreenSize], static_cast<float>(m_Width), static_cast<float>(m_Height));
    glUseProgram(0);

    m_SpotLightProgram = shaders.getProgram("SpotLight");
    for (int i = 0; i < 4; ++i) {
        m_SpotLightLocations[i] = glGetUniformLocation(m_SpotLightProgram, SamplerNames[i]);
    }

    GLint outputTexture = 0;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_OutputFBO);
    glGetFramebufferAttachmentParameteriv(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &outputTexture);
    glGenFramebuffers(1, &m_LightFBO);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_LightFBO);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           static_cast<GLuint>(outputTexture), 0);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D,
                           m_GBuffer->m_ReflectorDepthTexture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

LightingPass::~LightingPass()
{
    glDeleteFramebuffers(1, &m_LightFBO);
}

void LightingPass::render(const glm::vec3& cameraPosition)
{
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    // Only the inner side of each light volume is drawn, so a volume still
    // lights the scene while the camera is inside it.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    bindPointLightInputs(cameraPosition);
    // A volume's inner side lies behind every surface inside the volume. The
    // depth tested against is that of the surfaces that reflect light: where
    // a sun or the black hole shows, the lights add nothing, and behind it
    // there is either sky or a reflector whose pixels shade to nothing too.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_LightFBO);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GEQUAL);
    for (const auto& sun : m_World->m_Lights) {
        if (sun->m_LightVisible && sun->m_LightVolume->mayReachScreen(sun->m_LightWVP)) {
            sun->drawLight();
        }
    }
    bindSpotLightInputs();
    m_World->m_SpotLight.drawLight();
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);

    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
}

void LightingPass::bindPointLightInputs(const glm::vec3& cameraPosition)
{
    bindGBufferTextures(m_PointLightProgram,
                        {m_PointLightLocations[0], m_PointLightLocations[1], m_PointLightLocations[2],
                         m_PointLightLocations[3]});
    glUseProgram(m_PointLightProgram);
    glUniform3f(m_PointLightLocations[CameraPosition], cameraPosition.x, cameraPosition.y, cameraPosition.z);
    glUseProgram(0);
}

void LightingPass::bindSpotLightInputs()
{
    bindGBufferTextures(m_SpotLightProgram, m_SpotLightLocations);
    glUseProgram(0);
}

void LightingPass::bindGBufferTextures(GLuint program, const std::array<GLint, 4>& samplerLocations)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_GBuffer->m_FBO);
    glUseProgram(program);
    for (int i = 0; i < 4; ++i) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        glBindTexture(GL_TEXTURE_2D, m_GBuffer->m_Textures[i]);
        glUniform1i(samplerLocations[i], i);
    }
}

}
