#pragma once

#include "models/DetailLevels.h"
#include "models/Model.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>

namespace Orbivane::Entities {

// Base of everything the world simulates or draws. The virtual operations keep
// a fixed order that every derived class shares; the destructor is deliberately
// not virtual, since each entity is owned through its concrete type.
class Entity {
public:
    Entity(const glm::vec3& position, const glm::vec3& velocity);

    virtual void draw();
    virtual glm::vec3 getPosition() const;
    virtual glm::vec3 getRotation() const;
    virtual void setPosition(const glm::vec3& position);
    virtual void setRotation(const glm::vec3& rotation);
    virtual float getMass() const;
    virtual glm::vec3 getVelocity() const;
    virtual void setVelocity(float x, float y, float z);
    virtual float getRadius() const;
    virtual void update(const glm::mat4& viewProjectionMatrix);
    virtual glm::mat4 getModelMatrix();

    float m_Radius = 1.0f;
    float m_Mass = 0.0f;
    bool m_Destroyed = false;
    glm::vec3 m_Position;
    glm::vec3 m_Velocity;
    glm::vec3 m_Rotation{0.0f};
    std::shared_ptr<Models::Model> m_Model;
    // Bodies with coarser meshes of their shape: the geometry pass sets
    // m_Model to the one each frame's scene can show without a difference.
    std::shared_ptr<Models::DetailLevels> m_DetailLevels;
    glm::mat4 m_ModelMatrix{1.0f};
    glm::mat4 m_ModelViewProjectionMatrix{1.0f};
    glm::mat4 m_NormalMatrix{1.0f};
    GLuint m_Program = 0;
    GLint m_ModelMatrixLocation = 0;
    GLint m_NormalMatrixLocation = 0;
    GLint m_ModelViewProjectionMatrixLocation = 0;
    GLint m_TextureSamplerLocation = 0;
    GLint m_SpecularStrengthLocation = 0;
    GLint m_SpecularFactorLocation = 0;
    GLint m_DiffuseFactorLocation = 0;
    GLuint m_Texture = 0;
    float m_Scale = 1.0f;
    bool m_Visible = true;

protected:
    // Material-setting draws of the derived classes: program current, the
    // three lighting factors set, then the ordinary draw.
    void drawWithMaterial(float specularStrength, float specularFactor, float diffuseFactor);
};

}
