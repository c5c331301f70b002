#pragma once

#include "MeshBuilder.h"

#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace AssetGen {

// A lumpy, cratered rock of mean radius about 5: a cube projected onto a
// sphere (even triangles, no poles), pushed in and out by noise and pitted
// by crater bowls with raised rims, textured with a latitude-longitude map.
class AsteroidShape {
public:
    // Quads per cube edge of the finest mesh, the game's own rock.
    static constexpr int kFinestCells = 16;

    // The same rock with `cells` quads per cube edge: fewer give a coarser
    // mesh whose corners all lie on the finest one.
    static MeshBuilder build(int cells = kFinestCells);

private:
    struct Crater {
        glm::vec3 centre;
        float radius;
        float depth;
    };
    // One face of the cube: its outward normal and two axes with across x up = normal.
    struct CubeFace {
        glm::vec3 normal;
        glm::vec3 across;
        glm::vec3 up;
    };
    using PositionKey = std::array<float, 3>;
    using SharedPositions = std::map<PositionKey, std::uint32_t>;

    static std::vector<Crater> scatterCraters();
    static glm::vec3 surfacePoint(const glm::vec3& cubePoint, const std::vector<Crater>& craters);
    static float craterHeight(const glm::vec3& direction, const std::vector<Crater>& craters);
    static void addFace(MeshBuilder& mesh, SharedPositions& shared, const CubeFace& face,
                        const std::vector<Crater>& craters, int cells);
};

}
