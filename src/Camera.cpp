#include "Camera.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace Orbivane {

namespace {

constexpr float FollowDistance = 20.0f;

}

Camera::Camera(unsigned width, unsigned height)
    : m_Back(glm::normalize(m_Eye - m_LookTarget)),
      m_Right(glm::normalize(glm::cross(m_WorldUp, m_Back))),
      m_Up(glm::cross(m_Back, m_Right)),
      m_ViewMatrix(glm::lookAt(glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f)))
{
    resize(width, height);
}

void Camera::resize(unsigned width, unsigned height)
{
    m_Width = width;
    m_Height = height;
    m_AspectRatio = static_cast<float>(width) / static_cast<float>(height);
    m_ProjectionMatrix = glm::perspective(m_FieldOfView, m_AspectRatio, m_NearPlane, m_FarPlane);
}

void Camera::update()
{
    // Without a target there is nothing to follow; keep the last view.
    if (m_Target == nullptr) {
        return;
    }
    const glm::vec3 targetPosition = m_Target->getPosition();
    const glm::vec3 heading = m_Target->getWorldDirection();
    const glm::vec3 targetUp = glm::vec3(m_Target->m_ModelMatrix * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
    const glm::vec3 eye = targetPosition - heading * FollowDistance;

    m_ViewMatrix = glm::lookAt(eye, targetPosition, targetUp);
    const glm::mat4 cameraToWorld = glm::inverse(m_ViewMatrix);
    m_Right = glm::vec3(cameraToWorld * glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
    m_Up = glm::vec3(cameraToWorld * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
    m_Front = heading;
    m_Eye = eye;
}

void Camera::setPosition(const glm::vec3& position)
{
    m_Eye = position;
}

glm::mat4 Camera::getViewMatrix() const
{
    return m_ViewMatrix;
}

glm::mat4 Camera::getProjectionMatrix() const
{
    return m_ProjectionMatrix;
}

FrustumInfo Camera::getFrustumInfo() const
{
    const float heightPerDistance = 2.0f * std::tan(m_FieldOfView * 0.5f);
    const float nearHeight = heightPerDistance * m_NearPlane;
    const float farHeight = heightPerDistance * m_FarPlane;
    return FrustumInfo{m_Eye,
                       glm::normalize(m_Front),
                       glm::normalize(m_Up),
                       glm::normalize(m_Right),
                       m_NearPlane,
                       nearHeight,
                       m_AspectRatio * nearHeight,
                       m_FarPlane,
                       farHeight,
                       m_AspectRatio * farHeight};
}

}
