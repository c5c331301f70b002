#pragma once

#include "entities/Entity.h"

namespace Orbivane::Entities {

// A small glowing sphere that is also a point light: the lighting pass draws
// its light volume, a sphere of the light's reach, with the "PointLight" program.
class Sun final : public Entity {
public:
    Sun(const glm::vec3& position, const glm::vec3& color);

    void draw() override;
    void update(const glm::mat4& viewProjectionMatrix) override;
    glm::mat4 getModelMatrix() override;
    void drawLight();
    float computeLightRadius();

    glm::vec3 m_SurfaceColor;
    GLint m_SurfaceColorLocation = 0;
    GLuint m_LightProgram = 0;
    float m_LightRadius = 0.0f;
    GLint m_WVPLocation = 0;
    GLint m_MatSpecularIntensityLocation = 0;
    GLint m_SpecularPowerLocation = 0;
    glm::mat4 m_LightWVP{1.0f};
    glm::mat4 m_LightModelMatrix{1.0f};
    std::shared_ptr<Models::Model> m_LightVolume;
    GLint m_LightPositionLocation = 0;
    GLint m_LightColorLocation = 0;
    GLint m_AmbientIntensityLocation = 0;
    GLint m_DiffuseIntensityLocation = 0;
    GLint m_AttenuationConstantLocation = 0;
    GLint m_AttenuationLinearLocation = 0;
    GLint m_AttenuationExponentialLocation = 0;
    glm::vec3 m_LightColor;
    float m_AmbientIntensity = 0.0f;
    float m_DiffuseIntensity = 0.03f;
    float m_AttenuationConstant = 0.3f;
    float m_AttenuationLinear = 0.1f;
    float m_AttenuationExponential = 0.06f;
    bool m_LightVisible = true;
};

}
