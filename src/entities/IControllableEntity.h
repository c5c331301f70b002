#pragma once

#include "entities/Entity.h"

namespace Orbivane::Entities {

// An entity that input can steer: a pending rotation, a forward speed, a
// heading in its own model space and a shoot flag.
class IControllableEntity : public Entity {
public:
    IControllableEntity();

    virtual glm::vec3 getDirection();
    virtual glm::vec3 getWorldDirection();
    virtual void resetWorldDirection();
    virtual void setRotationX(float angle);
    virtual void setRotationY(float angle);
    virtual void setRotationZ(float angle);
    virtual void accelerate(float delta);
    virtual void resetRotation();
    virtual void stop();

    float m_RotationX = 0.0f;
    float m_RotationY = 0.0f;
    float m_RotationZ = 0.0f;
    float m_Speed = 0.0f;
    glm::vec3 m_Direction{0.0f};
    bool m_Shooting = false;
    glm::vec3 m_WorldDirection{0.0f};
};

}
