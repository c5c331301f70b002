#pragma once

#include "FrustumInfo.h"

#include <glm/glm.hpp>

#include <array>

namespace Orbivane {

namespace Entities {
class Entity;
}

// The camera's view volume as six inward-facing planes: near, far, left, right, top, bottom.
class Frustum {
public:
    Frustum();

    void update(const FrustumInfo& info);
    void cull(Entities::Entity& entity);

    // Signed distance of a point from plane `index`; negative outside.
    float distance(std::size_t index, const glm::vec3& point) const;

    std::array<glm::vec4, 6> m_Planes;
    int m_CulledCount;
};

}
