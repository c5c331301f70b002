#pragma once

#include "entities/Entity.h"

namespace Orbivane::Entities {

class Ship;

// One of the two engines hanging below the ship; it spins faster the faster
// the ship flies.
class ShipEngine final : public Entity {
public:
    ShipEngine(Ship* ship, int side);

    glm::mat4 getModelMatrix() override;

    Ship* m_Ship;
    int m_Side;
    float m_SpinAngle = 0.0f;
    double m_LastTime;
};

}
