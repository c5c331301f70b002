#include "BlackHoleShape.h"

#include "SphereShape.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace AssetGen {

namespace {

constexpr float kBodyRadius = 5.0f;
constexpr int kBodySegments = 40;
constexpr int kBodyRings = 20;
constexpr int kDiskSegments = 64;
// Tilted so the disk shows as an ellipse rather than a line from the ship's start.
constexpr float kDiskTilt = 0.45f;
constexpr float kDiskBandTop = 0.42f;
constexpr float kDiskBandBottom = 0.58f;

}

MeshBuilder BlackHoleShape::build()
{
    MeshBuilder blackHole = SphereShape::build(kBodyRadius, kBodySegments, kBodyRings);
    // The rings are lathed about z; turn them into the xz plane, then tilt.
    const glm::mat4 diskPlane = glm::rotate(glm::rotate(glm::mat4(1.0f), kDiskTilt, glm::vec3(1.0f, 0.0f, 0.2f)),
                                            -glm::half_pi<float>(), glm::vec3(1.0f, 0.0f, 0.0f));
    blackHole.append(ring(6.2f, 8.9f, 0.16f), diskPlane);
    blackHole.append(ring(9.3f, 10.4f, 0.08f), diskPlane);
    return blackHole;
}

MeshBuilder BlackHoleShape::ring(float inner, float outer, float halfThickness)
{
    // A closed lens-shaped cross-section, thickest a third of the way out:
    // over the top from the inner edge, back underneath.
    const float width = outer - inner;
    const std::vector<glm::vec2> profile = {
        {inner, 0.0f},
        {inner + 0.1f * width, 0.7f * halfThickness},
        {inner + 0.35f * width, halfThickness},
        {inner + 0.75f * width, 0.6f * halfThickness},
        {outer, 0.0f},
        {inner + 0.75f * width, -0.6f * halfThickness},
        {inner + 0.35f * width, -halfThickness},
        {inner + 0.1f * width, -0.7f * halfThickness},
        {inner, 0.0f}};
    // The disk samples the texture's equator, where its swirls gather,
    // streaking them around the hole.
    std::vector<float> radialV;
    for (const glm::vec2& point : profile) {
        radialV.push_back(kDiskBandTop + (kDiskBandBottom - kDiskBandTop) * (point.x - inner) / width);
    }
    MeshBuilder disk;
    disk.addLathe(profile, kDiskSegments, radialV);
    return disk;
}

}
