#pragma once

#include <glm/glm.hpp>

namespace Orbivane {

// The camera's view volume as culling needs it: where it is, how it is
// oriented and how large the near and far rectangles are.
struct FrustumInfo {
    glm::vec3 m_Position;
    glm::vec3 m_Front;
    glm::vec3 m_Up;
    glm::vec3 m_Right;
    float m_NearDistance;
    float m_NearHeight;
    float m_NearWidth;
    float m_FarDistance;
    float m_FarHeight;
    float m_FarWidth;
};

static_assert(sizeof(FrustumInfo) == 18 * sizeof(float), "FrustumInfo is a record of 18 floats");

}
