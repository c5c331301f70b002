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

private:
    void bindGBufferTextures(GLuint program, const std::array<GLint, 4>& samplerLocations);
};

}
