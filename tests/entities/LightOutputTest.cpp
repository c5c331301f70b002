#include "EntityTestAssets.h"

#include "Camera.h"
#include "entities/SpotLight.h"
#include "entities/Sun.h"
#include "helpers/ShaderManager.h"

#include <gtest/gtest.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <string>
#include <vector>

namespace {

using EntityTest::AssetDir;
using EntityTest::GBufferTarget;

constexpr int Size = GBufferTarget::Size;

// Columns of the synthetic G-buffer, left to right.
constexpr int SkyColumn = 2;        // nothing drawn
constexpr int FarColumn = 16;       // 10 units in front of the light, facing it
constexpr int NearColumn = 40;      // 5 units in front of the light, facing it
constexpr int BehindColumn = 56;    // 10 units behind the light, facing away from it

glm::vec4 surfaceAt(int x)
{
    if (x < 4) {
        return glm::vec4(0.0f);
    }
    if (x < 32) {
        return glm::vec4(0, 0, -10, 1);
    }
    if (x < 48) {
        return glm::vec4(0, 0, -5, 1);
    }
    return glm::vec4(0, 0, 10, 1);
}

class LightOutput : public testing::Test {
protected:
    LightOutput()
    {
        std::vector<glm::vec4> position, diffuse, normal, params;
        for (int y = 0; y < Size; ++y) {
            for (int x = 0; x < Size; ++x) {
                position.push_back(surfaceAt(x));
                diffuse.emplace_back(1.0f);
                normal.emplace_back(0, 0, 1, 1);
                params.emplace_back(0.0f, 0.0f, 1.0f, 1.0f);
            }
        }
        glActiveTexture(GL_TEXTURE0);
        glGenTextures(1, &m_Output);
        glBindTexture(GL_TEXTURE_2D, m_Output);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, Size, Size, 0, GL_RGBA, GL_FLOAT, nullptr);
        glGenFramebuffers(1, &m_OutputFBO);
        glBindFramebuffer(GL_FRAMEBUFFER, m_OutputFBO);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_Output, 0);
        glViewport(0, 0, Size, Size);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);

        const std::vector<glm::vec4>* layers[4] = {&position, &diffuse, &normal, &params};
        for (int unit = 0; unit < 4; ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glBindTexture(GL_TEXTURE_2D, m_GBuffer.texture(unit));
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Size, Size, GL_RGBA, GL_FLOAT, layers[unit]->data());
        }
    }

    ~LightOutput() override
    {
        EntityTest::resetGLState();
        glDeleteFramebuffers(1, &m_OutputFBO);
        glDeleteTextures(1, &m_Output);
    }

    // What the lighting pass does before a light draws: G-buffer on units 0 to 3.
    static void bindGBufferSamplers(GLuint program)
    {
        glUseProgram(program);
        const char* samplers[4] = {"positionTexture", "diffuseTexture", "normalTexture", "lightParamsTexture"};
        for (int unit = 0; unit < 4; ++unit) {
            const GLint location = glGetUniformLocation(program, samplers[unit]);
            ASSERT_GE(location, 0) << samplers[unit];
            glUniform1i(location, unit);
        }
    }

    glm::vec4 lightAt(int x) const
    {
        glm::vec4 value(-1.0f);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_OutputFBO);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(x, Size / 2, 1, 1, GL_RGBA, GL_FLOAT, &value[0]);
        return value;
    }

    AssetDir m_Assets;
    GBufferTarget m_GBuffer;
    GLuint m_Output = 0;
    GLuint m_OutputFBO = 0;
};

TEST_F(LightOutput, ProgramsDeclareTheirWholeUniformInterface)
{
    auto& shaders = Orbivane::Helpers::ShaderManager::instance();
    const std::vector<std::pair<std::string, std::vector<std::string>>> interfaces = {
        {"Entity",
         {"modelMatrix", "normalMatrix", "modelViewProjectionMatrix", "textureSampler", "specularStrength",
          "specularFactor", "diffuseFactor"}},
        {"Sun", {"modelMatrix", "normalMatrix", "modelViewProjectionMatrix", "sunSurfaceColor"}},
        {"SkyBox", {"viewMatrix", "projectionMatrix", "cubemap"}},
        {"PointLight",
         {"gWVP", "LightPosition", "LightColor", "LightAmbientIntensity", "LightDiffuseIntensity",
          "Attenuation.constant", "AttenuationLinear", "AttenuationExponential", "gSpecularPower",
          "gMatSpecularIntensity", "positionTexture", "diffuseTexture", "normalTexture", "lightParamsTexture",
          "screenSize", "cameraPosition"}},
        {"SpotLight",
         {"positionTexture", "diffuseTexture", "normalTexture", "lightParamsTexture", "u_modelMatrix", "u_Position",
          "u_LightDir", "u_Angle"}},
    };
    for (const auto& [name, uniforms] : interfaces) {
        const GLuint program = shaders.getProgram(name);
        for (const std::string& uniform : uniforms) {
            EXPECT_GE(glGetUniformLocation(program, uniform.c_str()), 0) << name << ": " << uniform;
        }
    }
}

TEST_F(LightOutput, SpotLightShinesAlongTheShipsHeadingOnly)
{
    Orbivane::Entities::SpotLight light;
    // The ship turned round: its heading +z in model space points along world -z.
    light.setModelMatrix(glm::rotate(glm::mat4(1.0f), glm::pi<float>(), glm::vec3(0, 1, 0)));
    light.m_Direction = glm::vec3(0, 0, 1);
    bindGBufferSamplers(light.m_LightProgram);
    light.drawLight();

    const glm::vec4 far = lightAt(FarColumn);
    const glm::vec4 near = lightAt(NearColumn);
    EXPECT_GT(far.r, 0.0f);
    EXPECT_GT(near.r, far.r) << "nearer surfaces receive more light";
    EXPECT_EQ(glm::vec3(lightAt(BehindColumn)), glm::vec3(0.0f)) << "outside the cone";
    EXPECT_EQ(glm::vec3(lightAt(SkyColumn)), glm::vec3(0.0f)) << "no surface";
}

TEST_F(LightOutput, PointLightLightsSurfacesFacingItInItsColour)
{
    Orbivane::Entities::Sun sun(glm::vec3(0), glm::vec3(1, 0, 0));
    const Orbivane::Camera camera(Size, Size);
    const glm::mat4 view = glm::lookAt(glm::vec3(0), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
    sun.update(camera.getProjectionMatrix() * view);

    bindGBufferSamplers(sun.m_LightProgram);
    glUniform2f(glGetUniformLocation(sun.m_LightProgram, "screenSize"), Size, Size);
    glUniform3f(glGetUniformLocation(sun.m_LightProgram, "cameraPosition"), 0, 0, 0);
    // As in the lighting pass: only the inside of the volume is rasterised.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    sun.drawLight();

    const glm::vec4 far = lightAt(FarColumn);
    const glm::vec4 near = lightAt(NearColumn);
    EXPECT_GT(far.r, 0.0f);
    EXPECT_EQ(far.g + far.b, 0.0f);
    EXPECT_GT(near.r, far.r) << "attenuation grows with distance";
    EXPECT_EQ(glm::vec3(lightAt(BehindColumn)), glm::vec3(0.0f)) << "surface faces away";
    EXPECT_EQ(glm::vec3(lightAt(SkyColumn)), glm::vec3(0.0f)) << "no surface";
}

}
