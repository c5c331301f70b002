#include "entities/SpotLight.h"

#include "helpers/ShaderManager.h"
#include "rendering/ScreenQuad.h"

#include <glm/gtc/type_ptr.hpp>

namespace Orbivane::Entities {

namespace {

// The opening of the cone in radians; the shader decides how it falls off.
constexpr float ConeAngle = 2.0f;

}

SpotLight::SpotLight() : Entity(glm::vec3(0.0f), glm::vec3(0.0f)), m_QuadVertices(Rendering::makeScreenQuad())
{
    Rendering::uploadScreenQuad(m_QuadVertices, GL_STATIC_DRAW, m_VAO, m_VBO);

    m_LightProgram = Helpers::ShaderManager::instance().getProgram("SpotLight");
    m_PositionLocation = glGetUniformLocation(m_LightProgram, "u_Position");
    m_LightDirLocation = glGetUniformLocation(m_LightProgram, "u_LightDir");
    m_AngleLocation = glGetUniformLocation(m_LightProgram, "u_Angle");
    m_ModelMatrixUniformLocation = glGetUniformLocation(m_LightProgram, "u_modelMatrix");

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void SpotLight::draw() {}

glm::mat4 SpotLight::getModelMatrix()
{
    return m_StoredModelMatrix;
}

void SpotLight::setModelMatrix(const glm::mat4& modelMatrix)
{
    m_StoredModelMatrix = modelMatrix;
}

void SpotLight::drawLight()
{
    glUseProgram(m_LightProgram);
    glUniformMatrix4fv(m_ModelMatrixUniformLocation, 1, GL_FALSE, glm::value_ptr(m_StoredModelMatrix));
    glUniform3f(m_PositionLocation, m_Position.x, m_Position.y, m_Position.z);
    glUniform1f(m_AngleLocation, ConeAngle);
    glUniform3f(m_LightDirLocation, m_Direction.x, m_Direction.y, m_Direction.z);
    glBindVertexArray(m_VAO);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(m_QuadVertices.size() / 2));
    glBindVertexArray(0);
    glUseProgram(0);
}

}
