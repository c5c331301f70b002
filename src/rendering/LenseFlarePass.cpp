#include "rendering/LenseFlarePass.h"

#include "helpers/IniSettings.h"
#include "helpers/ShaderManager.h"
#include "helpers/TextureManager.h"
#include "rendering/ScreenQuad.h"
#include "worlds/World.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace Orbivane::Rendering {

namespace {

struct FlareElement {
    float positionFactor;
    float halfSize;
};

// Element j sits at the sun's position times (1 - j * positionFactor): on the
// sun, halfway to the centre, and mirrored through the centre once and twice.
constexpr FlareElement Elements[LenseFlarePass::ElementCount] = {
    {1.0f, 0.15f}, {0.5f, 0.03f}, {1.0f, 0.05f}, {1.0f, 0.10f}};

constexpr GLenum ColorAttachment0 = GL_COLOR_ATTACHMENT0;

// Distance (clip-space depth) over which a flare fades from its near to its far strength.
constexpr float StrengthFalloffDepth = 40.0f;

enum Location { EffectTexture, EffectWidth, EffectHeight, EffectPosX, EffectPosY, SunColor, Strength };

}

LenseFlarePass::LenseFlarePass(GBuffer* gBuffer, GLuint outputFBO, unsigned int width, unsigned int height,
                               Worlds::World* world)
    : m_QuadVertices(makeScreenQuad()), m_OutputFBO(outputFBO), m_Width(width), m_Height(height), m_World(world),
      m_GBuffer(gBuffer),
      m_MaxStrength(static_cast<float>(Helpers::IniSettings::getInt("LenseFlareMaxVal", 500)) / 1000.0f),
      m_MinStrength(static_cast<float>(Helpers::IniSettings::getInt("LenseFlareMinVal", 10)) / 1000.0f)
{
    for (unsigned int j = 0; j < ElementCount; ++j) {
        m_FlareTextures[j] = Helpers::TextureManager::instance().loadTexture("res\\textures\\flare\\flare" +
                                                                              std::to_string(j) + ".bmp");
    }
    uploadScreenQuad(m_QuadVertices, GL_STREAM_DRAW, m_VAO, m_VBO);

    m_Program = Helpers::ShaderManager::instance().getProgram("LenseFlare");
    const char* const uniforms[7] = {"effectTexture", "effectWidth", "effectHeight", "effectPosX",
                                     "effectPosY",    "sunColor",    "strength"};
    for (int i = 0; i < 7; ++i) {
        m_Locations[i] = glGetUniformLocation(m_Program, uniforms[i]);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

LenseFlarePass::~LenseFlarePass()
{
    glDeleteVertexArrays(1, &m_VAO);
    glDeleteBuffers(1, &m_VBO);
}

std::vector<FlareSource> LenseFlarePass::visibleSources()
{
    std::vector<FlareSource> candidates;
    for (const auto& sun : m_World->m_Lights) {
        const glm::vec4 clip = sun->m_ModelViewProjectionMatrix * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        if (clip.z < 0.0f) {
            continue;
        }
        const glm::vec4 ndc = clip / clip.w;
        if (std::fabs(ndc.x) < 1.0f && std::fabs(ndc.y) < 1.0f) {
            candidates.push_back({ndc.x, ndc.y, sun->m_SurfaceColor, std::fabs(clip.z)});
        }
    }

    // A sun counts as seen when its centre pixel shows emitted light, that is
    // when nothing in front of it covers its centre.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_GBuffer->m_FBO);
    glReadBuffer(GL_COLOR_ATTACHMENT4);
    std::vector<FlareSource> visible;
    for (const FlareSource& candidate : candidates) {
        const auto px = static_cast<GLint>((candidate.x + 1.0f) * 0.5f * static_cast<float>(m_Width));
        const auto py = static_cast<GLint>((candidate.y + 1.0f) * 0.5f * static_cast<float>(m_Height));
        // Room for a padded row, whatever the pack alignment is.
        GLubyte rgb[4] = {0, 0, 0, 0};
        glReadPixels(px, py, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        if (rgb[0] != 0 || rgb[1] != 0 || rgb[2] != 0) {
            visible.push_back(candidate);
        }
    }
    return visible;
}

float LenseFlarePass::strength(const FlareSource& source) const
{
    const float r2 = static_cast<float>(std::sqrt(2.0));
    const float centreDistance = std::sqrt(source.x * source.x + source.y * source.y);
    const float nearness = std::exp(source.depth / -StrengthFalloffDepth);
    return ((1.0f - nearness) * m_MinStrength + nearness * m_MaxStrength) * (r2 - centreDistance) / r2;
}

void LenseFlarePass::render()
{
    const std::vector<FlareSource> sources = visibleSources();
    if (sources.empty()) {
        return;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_OutputFBO);
    glDrawBuffers(1, &ColorAttachment0);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBlendEquation(GL_FUNC_ADD);
    glUseProgram(m_Program);
    glBindVertexArray(m_VAO);
    for (const FlareSource& source : sources) {
        const float sourceStrength = strength(source);
        for (unsigned int j = 0; j < ElementCount; ++j) {
            drawElement(source, sourceStrength, j);
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

void LenseFlarePass::drawElement(const FlareSource& source, float sourceStrength, unsigned int element)
{
    const FlareElement& flare = Elements[element];
    const float placement = 1.0f - static_cast<float>(element) * flare.positionFactor;
    const float centreX = source.x * placement;
    const float centreY = source.y * placement;
    const float halfSize = flare.halfSize;
    const float aspect = static_cast<float>(m_Width) / static_cast<float>(m_Height);

    // The element is square in pixels: halfSize / aspect wide in device units.
    // A window taller than wide needs the quad widened to hold all of it.
    const float quadHalfWidth = halfSize * std::max(1.0f, 1.0f / aspect);
    std::vector<float> vertices = m_QuadVertices;
    for (std::size_t i = 0; i < vertices.size(); i += 2) {
        vertices[i] = vertices[i] * quadHalfWidth + centreX;
        vertices[i + 1] = vertices[i + 1] * halfSize + centreY;
    }
    glBindBuffer(GL_ARRAY_BUFFER, m_VBO);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data());

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_FlareTextures[element]);
    glUniform1i(m_Locations[EffectTexture], 0);
    glUniform1f(m_Locations[EffectWidth], 2.0f * halfSize / aspect);
    glUniform1f(m_Locations[EffectHeight], 2.0f * halfSize);
    glUniform1f(m_Locations[EffectPosX], centreX - halfSize / aspect);
    glUniform1f(m_Locations[EffectPosY], centreY - halfSize);
    glUniform3f(m_Locations[SunColor], source.color.r, source.color.g, source.color.b);
    glUniform1f(m_Locations[Strength], sourceStrength);
    glDrawArrays(GL_TRIANGLES, 0, 6);
}

}
