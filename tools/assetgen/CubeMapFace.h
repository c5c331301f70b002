#pragma once

#include <glm/vec3.hpp>

namespace AssetGen {

// The six faces of an OpenGL cube map, in the order of its face targets.
enum class CubeMapFace { PositiveX, NegativeX, PositiveY, NegativeY, PositiveZ, NegativeZ };

// The direction that a cube-map lookup sends to face coordinate (s, t),
// both in [0, 1], following OpenGL's major-axis table for cube maps.
// t = 0 is the first row that is uploaded, which is the top
// row of the image file. The result is not normalised.
glm::vec3 cubeMapDirection(CubeMapFace face, float s, float t);

// The inverse: where `direction` meets the plane of `face`. Returns false when
// the direction points away from that face; (s, t) may lie outside [0, 1]
// for directions that belong to a neighbouring face.
bool cubeMapCoordinates(CubeMapFace face, const glm::vec3& direction, float& s, float& t);

}
