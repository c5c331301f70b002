#include "SphereShape.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace AssetGen {

namespace {

// Keeps the faces outside radius 1 after the coordinates are rounded to six
// decimals in the file.
constexpr float kRoundingMargin = 1.00001f;

}

MeshBuilder SphereShape::build(float radius, int segments, int rings)
{
    std::vector<glm::vec2> profile;
    for (int i = 0; i <= rings; ++i) {
        const float polar = glm::pi<float>() * static_cast<float>(i) / static_cast<float>(rings);
        // sin(pi) is not quite zero in float; the poles must close exactly.
        const bool pole = i == 0 || i == rings;
        profile.emplace_back(pole ? 0.0f : radius * std::sin(polar), radius * std::cos(polar));
    }
    // The lathe's own axis is z; the top pole has to end up on +y.
    MeshBuilder lathe;
    lathe.addLathe(profile, segments, MeshBuilder::arcLengthFractions(profile));
    MeshBuilder sphere;
    sphere.append(lathe, glm::rotate(glm::mat4(1.0f), -glm::half_pi<float>(), glm::vec3(1.0f, 0.0f, 0.0f)));
    return sphere;
}

MeshBuilder SphereShape::buildEnclosingUnitSphere(int segments, int rings)
{
    MeshBuilder sphere = build(1.0f, segments, rings);
    sphere.scale(kRoundingMargin / nearestFacePlane(sphere));
    return sphere;
}

float SphereShape::nearestFacePlane(const MeshBuilder& mesh)
{
    float nearest = std::numeric_limits<float>::max();
    for (const MeshBuilder::Triangle& triangle : mesh.triangles()) {
        const glm::vec3 normal = glm::normalize(mesh.faceNormal(triangle));
        nearest = std::min(nearest, std::fabs(glm::dot(normal, mesh.positions()[triangle[0].position])));
    }
    return nearest;
}

}
