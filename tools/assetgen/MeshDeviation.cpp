#include "MeshDeviation.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <limits>

namespace AssetGen {

float MeshDeviation::between(const MeshBuilder& a, const MeshBuilder& b)
{
    return std::max(farthestPoint(a, b), farthestPoint(b, a));
}

float MeshDeviation::farthestPoint(const MeshBuilder& from, const MeshBuilder& to)
{
    float farthest = 0.0f;
    const auto& positions = from.positions();
    for (const MeshBuilder::Triangle& triangle : from.triangles()) {
        const glm::vec3 corners[3] = {positions[triangle[0].position], positions[triangle[1].position],
                                      positions[triangle[2].position]};
        const glm::vec3 samples[] = {corners[0],
                                     (corners[0] + corners[1]) * 0.5f,
                                     (corners[1] + corners[2]) * 0.5f,
                                     (corners[2] + corners[0]) * 0.5f,
                                     (corners[0] + corners[1] + corners[2]) / 3.0f};
        for (const glm::vec3& sample : samples) {
            farthest = std::max(farthest, distanceToSurface(sample, to));
        }
    }
    return farthest;
}

float MeshDeviation::distanceToSurface(const glm::vec3& point, const MeshBuilder& mesh)
{
    float nearest = std::numeric_limits<float>::max();
    const auto& positions = mesh.positions();
    for (const MeshBuilder::Triangle& triangle : mesh.triangles()) {
        nearest = std::min(nearest, distanceToTriangle(point, positions[triangle[0].position],
                                                       positions[triangle[1].position],
                                                       positions[triangle[2].position]));
    }
    return nearest;
}

// The closest point of the triangle lies in one of its seven Voronoi
// regions: a corner, an edge or the face itself.
float MeshDeviation::distanceToTriangle(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b,
                                        const glm::vec3& c)
{
    const glm::vec3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0.0f && d2 <= 0.0f) {
        return glm::distance(p, a);
    }
    const glm::vec3 bp = p - b;
    const float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0.0f && d4 <= d3) {
        return glm::distance(p, b);
    }
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) {
        return glm::distance(p, a + ab * (d1 / (d1 - d3)));
    }
    const glm::vec3 cp = p - c;
    const float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0.0f && d5 <= d6) {
        return glm::distance(p, c);
    }
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) {
        return glm::distance(p, a + ac * (d2 / (d2 - d6)));
    }
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && d4 - d3 >= 0.0f && d5 - d6 >= 0.0f) {
        return glm::distance(p, b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))));
    }
    const float denominator = 1.0f / (va + vb + vc);
    return glm::distance(p, a + ab * (vb * denominator) + ac * (vc * denominator));
}

}
