#include "entities/Sun.h"

#include "helpers/ShaderManager.h"
#include "helpers/TextureManager.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <iostream>

namespace Orbivane::Entities {

namespace {

const char* const SphereModel = "res\\models\\GenericSphere.obj";
// Encloses the unit sphere like the sun's own sphere, with far fewer faces.
const char* const LightVolumeModel = "res\\models\\LightVolume.obj";

// The light ends where attenuation has reduced it to one step of an 8-bit channel.
constexpr float AttenuationAtEdge = 256.0f;

}

Sun::Sun(const glm::vec3& position, const glm::vec3& color)
    : Entity(glm::vec3(0.0f), glm::vec3(0.0f)), m_SurfaceColor(color), m_LightColor(color)
{
    m_Position = position;
    m_DetailLevels = Models::DetailLevels::of(SphereModel, 2);
    m_Model = m_DetailLevels->m_Levels.front().model;
    m_Texture = Helpers::TextureManager::instance().loadTexture("res\\textures\\Sun.png");

    m_Program = Helpers::ShaderManager::instance().getProgram("Sun");
    m_ModelMatrixLocation = glGetUniformLocation(m_Program, "modelMatrix");
    m_NormalMatrixLocation = glGetUniformLocation(m_Program, "normalMatrix");
    m_ModelViewProjectionMatrixLocation = glGetUniformLocation(m_Program, "modelViewProjectionMatrix");
    m_SurfaceColorLocation = glGetUniformLocation(m_Program, "sunSurfaceColor");

    m_LightVolume = std::make_shared<Models::Model>(LightVolumeModel);
    m_LightProgram = Helpers::ShaderManager::instance().getProgram("PointLight");
    m_WVPLocation = glGetUniformLocation(m_LightProgram, "gWVP");
    m_LightPositionLocation = glGetUniformLocation(m_LightProgram, "LightPosition");
    m_LightColorLocation = glGetUniformLocation(m_LightProgram, "LightColor");
    m_AmbientIntensityLocation = glGetUniformLocation(m_LightProgram, "LightAmbientIntensity");
    m_DiffuseIntensityLocation = glGetUniformLocation(m_LightProgram, "LightDiffuseIntensity");
    m_AttenuationConstantLocation = glGetUniformLocation(m_LightProgram, "Attenuation.constant");
    m_AttenuationLinearLocation = glGetUniformLocation(m_LightProgram, "AttenuationLinear");
    m_AttenuationExponentialLocation = glGetUniformLocation(m_LightProgram, "AttenuationExponential");
    m_SpecularPowerLocation = glGetUniformLocation(m_LightProgram, "gSpecularPower");
    m_MatSpecularIntensityLocation = glGetUniformLocation(m_LightProgram, "gMatSpecularIntensity");

    m_LightRadius = computeLightRadius();
    m_Radius = 2.5f;
}

void Sun::draw()
{
    glUseProgram(m_Program);
    glUniform3f(m_SurfaceColorLocation, m_SurfaceColor.x, m_SurfaceColor.y, m_SurfaceColor.z);
    Entity::draw();
}

void Sun::update(const glm::mat4& viewProjectionMatrix)
{
    Entity::update(viewProjectionMatrix);
    m_LightWVP = viewProjectionMatrix * m_LightModelMatrix;
}

glm::mat4 Sun::getModelMatrix()
{
    const glm::mat4 translation = glm::translate(glm::mat4(1.0f), m_Position);
    m_LightModelMatrix = glm::scale(translation, glm::vec3(m_LightRadius));
    return translation;
}

void Sun::drawLight()
{
    glUseProgram(m_LightProgram);
    glUniformMatrix4fv(m_WVPLocation, 1, GL_FALSE, glm::value_ptr(m_LightWVP));
    glUniform3f(m_LightPositionLocation, m_Position.x, m_Position.y, m_Position.z);
    glUniform3f(m_LightColorLocation, m_LightColor.x, m_LightColor.y, m_LightColor.z);
    glUniform1f(m_AmbientIntensityLocation, m_AmbientIntensity);
    glUniform1f(m_DiffuseIntensityLocation, m_DiffuseIntensity);
    glUniform1f(m_AttenuationConstantLocation, m_AttenuationConstant);
    glUniform1f(m_AttenuationLinearLocation, m_AttenuationLinear);
    glUniform1f(m_AttenuationExponentialLocation, m_AttenuationExponential);
    glUniform1f(m_SpecularPowerLocation, 0.0f);
    glUniform1f(m_MatSpecularIntensityLocation, 0.0f);
    m_LightVolume->draw();
}

float Sun::computeLightRadius()
{
    // A slightly generous estimate of the distance at which C + L r + E r^2
    // reaches 256, so the volume always encloses the light's visible reach.
    const float linear = m_AttenuationLinear;
    const float discriminant = 0.5f * linear * linear - (m_AttenuationConstant - AttenuationAtEdge) / m_AttenuationExponential;
    const float radius = static_cast<float>(std::sqrt(static_cast<double>(discriminant))) - 0.5f * linear;
    std::cout << "Radius:" << radius << "\n";
    return radius;
}

}
