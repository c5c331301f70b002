#include "Frustum.h"

#include "entities/Entity.h"

namespace Orbivane {

namespace {

glm::vec4 planeThrough(const glm::vec3& first, const glm::vec3& second, const glm::vec3& third)
{
    const glm::vec3 normal = glm::normalize(glm::cross(first - second, first - third));
    return glm::vec4(normal, glm::dot(normal, first));
}

}

Frustum::Frustum() : m_Planes{}, m_CulledCount(0) {}

void Frustum::update(const FrustumInfo& info)
{
    const glm::vec3 farCentre = info.m_Position + info.m_Front * info.m_FarDistance;
    const glm::vec3 nearCentre = info.m_Position + info.m_Front * info.m_NearDistance;
    const glm::vec3 farUp = info.m_Up * (info.m_FarHeight / 2.0f);
    const glm::vec3 farRight = info.m_Right * (info.m_FarWidth / 2.0f);
    const glm::vec3 nearUp = info.m_Up * (info.m_NearHeight / 2.0f);
    const glm::vec3 nearRight = info.m_Right * (info.m_NearWidth / 2.0f);

    const glm::vec3 ftl = farCentre + farUp - farRight;
    const glm::vec3 ftr = farCentre + farUp + farRight;
    const glm::vec3 fbl = farCentre - farUp - farRight;
    const glm::vec3 fbr = farCentre - farUp + farRight;
    const glm::vec3 ntl = nearCentre + nearUp - nearRight;
    const glm::vec3 ntr = nearCentre + nearUp + nearRight;
    const glm::vec3 nbl = nearCentre - nearUp - nearRight;
    const glm::vec3 nbr = nearCentre - nearUp + nearRight;

    m_Planes[0] = planeThrough(ntl, ntr, nbr);
    m_Planes[1] = planeThrough(ftr, ftl, fbl);
    m_Planes[2] = planeThrough(nbl, fbl, ftl);
    m_Planes[3] = planeThrough(nbr, ntr, ftr);
    m_Planes[4] = planeThrough(ntl, ftl, ftr);
    m_Planes[5] = planeThrough(nbr, fbr, fbl);
}

float Frustum::distance(std::size_t index, const glm::vec3& point) const
{
    const glm::vec4& plane = m_Planes[index];
    return glm::dot(glm::vec3(plane), point) - plane.w;
}

void Frustum::cull(Entities::Entity& entity)
{
    entity.m_Visible = true;
    for (std::size_t i = 0; i < m_Planes.size(); ++i) {
        if (-entity.getRadius() > distance(i, entity.getPosition())) {
            entity.m_Visible = false;
            ++m_CulledCount;
            return;
        }
    }
}

}
