#include "entities/Entity.h"

#include "helpers/ShaderManager.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace Orbivane::Entities {

Entity::Entity(const glm::vec3& position, const glm::vec3& velocity)
    : m_Position(position), m_Velocity(velocity),
      m_Program(Helpers::ShaderManager::instance().getProgram("Entity"))
{
    m_ModelMatrixLocation = glGetUniformLocation(m_Program, "modelMatrix");
    m_NormalMatrixLocation = glGetUniformLocation(m_Program, "normalMatrix");
    m_ModelViewProjectionMatrixLocation = glGetUniformLocation(m_Program, "modelViewProjectionMatrix");
    m_TextureSamplerLocation = glGetUniformLocation(m_Program, "textureSampler");
    m_SpecularStrengthLocation = glGetUniformLocation(m_Program, "specularStrength");
    m_SpecularFactorLocation = glGetUniformLocation(m_Program, "specularFactor");
    m_DiffuseFactorLocation = glGetUniformLocation(m_Program, "diffuseFactor");
}

void Entity::draw()
{
    glUseProgram(m_Program);
    glUniformMatrix4fv(m_ModelMatrixLocation, 1, GL_FALSE, glm::value_ptr(m_ModelMatrix));
    glUniformMatrix4fv(m_ModelViewProjectionMatrixLocation, 1, GL_FALSE, glm::value_ptr(m_ModelViewProjectionMatrix));
    glUniformMatrix4fv(m_NormalMatrixLocation, 1, GL_FALSE, glm::value_ptr(m_NormalMatrix));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_Texture);
    // The camera and other model-less entities have nothing to draw.
    if (m_Model) {
        m_Model->draw();
    }
}

glm::vec3 Entity::getPosition() const
{
    return m_Position;
}

glm::vec3 Entity::getRotation() const
{
    return m_Rotation;
}

void Entity::setPosition(const glm::vec3& position)
{
    m_Position = position;
}

void Entity::setRotation(const glm::vec3& rotation)
{
    m_Rotation = rotation;
}

float Entity::getMass() const
{
    return m_Mass;
}

glm::vec3 Entity::getVelocity() const
{
    return m_Velocity;
}

void Entity::setVelocity(float x, float y, float z)
{
    m_Velocity = glm::vec3(x, y, z);
}

float Entity::getRadius() const
{
    return m_Radius;
}

void Entity::update(const glm::mat4& viewProjectionMatrix)
{
    m_ModelMatrix = getModelMatrix();
    m_NormalMatrix = glm::transpose(glm::inverse(m_ModelMatrix));
    m_ModelViewProjectionMatrix = viewProjectionMatrix * m_ModelMatrix;
}

glm::mat4 Entity::getModelMatrix()
{
    const glm::mat4 translation = glm::translate(glm::mat4(1.0f), m_Position);
    return translation * glm::scale(glm::mat4(1.0f), glm::vec3(m_Scale));
}

void Entity::drawWithMaterial(float specularStrength, float specularFactor, float diffuseFactor)
{
    glUseProgram(m_Program);
    glUniform1f(m_SpecularStrengthLocation, specularStrength);
    glUniform1f(m_SpecularFactorLocation, specularFactor);
    glUniform1f(m_DiffuseFactorLocation, diffuseFactor);
    Entity::draw();
}

}
