#pragma once

#include "MeshBuilder.h"

namespace AssetGen {

// How far two meshes of one shape stray from each other: the largest distance
// from a corner, an edge's midpoint or a triangle's centre of either mesh to
// the other mesh's surface. The game draws a coarser mesh in place of the
// finest only while this distance, seen on screen, stays under a quarter of a pixel.
class MeshDeviation {
public:
    static float between(const MeshBuilder& a, const MeshBuilder& b);

private:
    // The largest distance from the sample points of `from` to the surface of `to`.
    static float farthestPoint(const MeshBuilder& from, const MeshBuilder& to);
    static float distanceToSurface(const glm::vec3& point, const MeshBuilder& mesh);
    static float distanceToTriangle(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c);
};

}
