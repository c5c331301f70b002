#include "CubeMapFace.h"

namespace AssetGen {

glm::vec3 cubeMapDirection(CubeMapFace face, float s, float t)
{
    // Inverting s = (sc / |ma| + 1) / 2 and t = (tc / |ma| + 1) / 2 with |ma| = 1.
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    switch (face) {
    case CubeMapFace::PositiveX: return {1.0f, -tc, -sc};
    case CubeMapFace::NegativeX: return {-1.0f, -tc, sc};
    case CubeMapFace::PositiveY: return {sc, 1.0f, tc};
    case CubeMapFace::NegativeY: return {sc, -1.0f, -tc};
    case CubeMapFace::PositiveZ: return {sc, -tc, 1.0f};
    case CubeMapFace::NegativeZ: return {-sc, -tc, -1.0f};
    }
    return {0.0f, 0.0f, 1.0f};
}

bool cubeMapCoordinates(CubeMapFace face, const glm::vec3& direction, float& s, float& t)
{
    const glm::vec3& d = direction;
    float sc = 0.0f;
    float tc = 0.0f;
    float ma = 0.0f;
    switch (face) {
    case CubeMapFace::PositiveX: sc = -d.z; tc = -d.y; ma = d.x; break;
    case CubeMapFace::NegativeX: sc = d.z; tc = -d.y; ma = -d.x; break;
    case CubeMapFace::PositiveY: sc = d.x; tc = d.z; ma = d.y; break;
    case CubeMapFace::NegativeY: sc = d.x; tc = -d.z; ma = -d.y; break;
    case CubeMapFace::PositiveZ: sc = d.x; tc = -d.y; ma = d.z; break;
    case CubeMapFace::NegativeZ: sc = -d.x; tc = -d.y; ma = -d.z; break;
    }
    if (ma <= 1e-3f) {
        return false;
    }
    s = 0.5f * (sc / ma + 1.0f);
    t = 0.5f * (tc / ma + 1.0f);
    return true;
}

}
