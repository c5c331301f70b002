#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <memory>

namespace Orbivane::Worlds {
class World;
}

namespace Orbivane::Rendering {

class GBuffer;

// Adds up the light of every sun in view and of the ship's head light into
// the output framebuffer, shading the surfaces stored in the G-buffer.
class LightingPass {
public:
    LightingPass(unsigned int width, unsigned int height, GLuint outputFBO, GBuffer* gBuffer,
                 std::shared_ptr<Worlds::World> world);
    ~LightingPass();
    LightingPass(const LightingPass&) = delete;
    LightingPass& operator=(const LightingPass&) = delete;

    void render(const glm::vec3& cameraPosition);
    void bindPointLightInputs(const glm::vec3& cameraPosition);
    void bindSpotLightInputs();

    unsigned int m_Width;
    unsigned int m_Height;
    std::shared_ptr<Worlds::World> m_World;
    GLuint m_OutputFBO;
    GBuffer* m_GBuffer;
    GLuint m_PointLightProgram = 0;
    std::array<GLint, 6> m_PointLightLocations{};
    GLuint m_SpotLightProgram = 0;
    std::array<GLint, 4> m_SpotLightLocations{};
    // Draws into the output image, depth-tested against the depth of the
    // surfaces that reflect light (see GBuffer): the parts of a light volume
    // in front of the surfaces they would light, over the sky or over what
    // reflects nothing, are dropped before any shading.
    GLuint m_LightFBO = 0;

private:
    void bindGBufferTextures(GLuint program, const std::array<GLint, 4>& samplerLocations);
};

}
