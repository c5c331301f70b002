#pragma once

#include "FrustumInfo.h"
#include "entities/IControllableEntity.h"

#include <cstdint>

namespace Orbivane {

// Follows its target from 20 units behind, rolling, pitching and yawing with
// it. It is never steered itself; it derives from the controllable entity only
// to share the entity interface.
class Camera : public Entities::IControllableEntity {
public:
    Camera(unsigned width, unsigned height);

    // A window of a new size: the aspect, the projection and the frustum follow it.
    void resize(unsigned width, unsigned height);
    using Entity::update;
    void update();
    void setPosition(const glm::vec3& position) override;
    glm::mat4 getViewMatrix() const;
    glm::mat4 getProjectionMatrix() const;
    FrustumInfo getFrustumInfo() const;

    Entities::IControllableEntity* m_Target = nullptr;
    glm::vec3 m_Eye{0.0f, 0.0f, 20.0f};
    glm::vec3 m_LookTarget{0.0f};
    glm::vec3 m_Back;
    glm::vec3 m_WorldUp{0.0f, 1.0f, 0.0f};
    glm::vec3 m_Right;
    glm::vec3 m_Up;
    glm::vec3 m_Front{0.0f, 0.0f, -1.0f};
    // Handed to a perspective function that takes radians, unconverted: the
    // resulting opening of ~58 degrees shows rocks coming in from the side
    // early enough to steer round them while the ship stays large in view.
    float m_FieldOfView = 45.0f;
    float m_AspectRatio = 1.0f;
    float m_NearPlane = 0.1f;
    float m_FarPlane = 500.0f;
    glm::mat4 m_ProjectionMatrix{1.0f};
    glm::mat4 m_ViewMatrix;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
};

}
