#include "Outline.h"

#include <glm/gtc/constants.hpp>

#include <cmath>

namespace AssetGen {

namespace {

float signedPower(float value, float exponent)
{
    return std::copysign(std::pow(std::fabs(value), exponent), value);
}

}

std::vector<glm::vec2> Outline::superellipse(float halfWidth, float halfHeight, float exponent, int points)
{
    std::vector<glm::vec2> outline;
    outline.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        const float angle = glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(points);
        outline.emplace_back(halfWidth * signedPower(std::cos(angle), 2.0f / exponent),
                             halfHeight * signedPower(std::sin(angle), 2.0f / exponent));
    }
    return outline;
}

std::vector<glm::vec2> Outline::airfoil(float lead, float trail, float halfThickness)
{
    // Thickest just behind the leading edge, thinning towards the trailing edge.
    const float chord = lead - trail;
    const float front = lead - 0.15f * chord;
    const float back = trail + 0.45f * chord;
    return {{lead, 0.0f},
            {front, halfThickness},
            {back, halfThickness * 0.8f},
            {trail, 0.0f},
            {back, -halfThickness * 0.8f},
            {front, -halfThickness}};
}

std::vector<glm::vec2> Outline::rectangle(float halfWidth, float halfHeight)
{
    return {{halfWidth, -halfHeight}, {halfWidth, halfHeight}, {-halfWidth, halfHeight}, {-halfWidth, -halfHeight}};
}

}
