#include "AsteroidShape.h"

#include "Noise.h"
#include "Pcg32.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

#include <cmath>

namespace AssetGen {

namespace {

// A little over the collision radius of 5, so that the mean radius lands on 5
// once the craters have dug in.
constexpr float kRadius = 5.15f;
// Squashed a little so that the rock does not read as a ball.
constexpr glm::vec3 kStretch(1.1f, 0.9f, 1.0f);
constexpr int kShapeSeed = 41;
constexpr int kDetailSeed = 73;
constexpr std::uint64_t kCraterSeed = 0x0A57E201Dull;
constexpr int kCraterCount = 18;

glm::vec3 randomDirection(Pcg32& random)
{
    while (true) {
        // One draw per statement: argument order is up to the compiler, and
        // the stored assets were made with z drawn first, then y, then x.
        const float z = random.range(-1.0f, 1.0f);
        const float y = random.range(-1.0f, 1.0f);
        const float x = random.range(-1.0f, 1.0f);
        const glm::vec3 v(x, y, z);
        const float length = glm::length(v);
        if (length > 0.1f && length <= 1.0f) {
            return v / length;
        }
    }
}

// Spreads the grid evenly over the sphere instead of crowding the cube's corners.
float equalAngle(float coordinate)
{
    return std::tan(coordinate * glm::quarter_pi<float>());
}

}

MeshBuilder AsteroidShape::build(int cells)
{
    const std::vector<Crater> craters = scatterCraters();
    const CubeFace faces[] = {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                              {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                              {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}};
    MeshBuilder mesh;
    SharedPositions shared;
    for (const CubeFace& face : faces) {
        addFace(mesh, shared, face, craters, cells);
    }
    // The rock texture is a latitude-longitude map. Its seam meridian runs
    // along grid lines of the cube, so no triangle crosses it.
    mesh.mapLatitudeLongitude();
    return mesh;
}

std::vector<AsteroidShape::Crater> AsteroidShape::scatterCraters()
{
    Pcg32 random(kCraterSeed);
    std::vector<Crater> craters;
    for (int i = 0; i < kCraterCount; ++i) {
        // A few large basins first, then ever smaller pits.
        const float size = 1.0f - static_cast<float>(i) / static_cast<float>(kCraterCount);
        const float radius = 0.2f + 0.4f * size * random.range(0.7f, 1.0f);
        craters.push_back({randomDirection(random), radius, 0.42f * radius});
    }
    return craters;
}

float AsteroidShape::craterHeight(const glm::vec3& direction, const std::vector<Crater>& craters)
{
    float height = 0.0f;
    for (const Crater& crater : craters) {
        const float x = glm::distance(direction, crater.centre) / crater.radius;
        // A bowl with a flattened floor, and a rim thrown up around it.
        const float bowl = x < 1.0f ? std::fmax(x * x - 1.0f, -0.75f) : 0.0f;
        const float rimOffset = (x - 1.0f) / 0.25f;
        const float rim = 0.3f * std::exp(-rimOffset * rimOffset);
        height += crater.depth * (bowl + rim);
    }
    return height;
}

glm::vec3 AsteroidShape::surfacePoint(const glm::vec3& cubePoint, const std::vector<Crater>& craters)
{
    const glm::vec3 direction =
        glm::normalize(glm::vec3(equalAngle(cubePoint.x), equalAngle(cubePoint.y), equalAngle(cubePoint.z)));
    const float lumps = 0.14f * Noise::fbm(direction * 1.2f, 4, 0.5f, kShapeSeed);
    const float detail = 0.035f * Noise::fbm(direction * 5.0f, 3, 0.5f, kDetailSeed);
    const float scale = kRadius * (1.0f + lumps + detail + craterHeight(direction, craters));
    return direction * kStretch * scale;
}

void AsteroidShape::addFace(MeshBuilder& mesh, SharedPositions& shared, const CubeFace& face,
                            const std::vector<Crater>& craters, int cells)
{
    std::vector<MeshBuilder::Corner> grid;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            // Written as one rounded quotient, a coordinate and its negation on
            // the neighbouring face are bit-identical, so edge points are shared.
            const float s = static_cast<float>(2 * i - cells) / static_cast<float>(cells);
            const float t = static_cast<float>(2 * j - cells) / static_cast<float>(cells);
            const glm::vec3 cubePoint = face.normal + face.across * s + face.up * t;
            const PositionKey key{cubePoint.x, cubePoint.y, cubePoint.z};
            auto found = shared.find(key);
            if (found == shared.end()) {
                found = shared.emplace(key, mesh.addPosition(surfacePoint(cubePoint, craters))).first;
            }
            grid.push_back({found->second, {0.0f, 0.0f}});
        }
    }
    const auto at = [&grid, cells](int i, int j) { return grid[static_cast<std::size_t>(j * (cells + 1) + i)]; };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            // Alternating diagonals avoid a visible grain across the rock.
            if ((i + j) % 2 == 0) {
                mesh.addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
                mesh.addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
            } else {
                mesh.addTriangle(at(i, j), at(i + 1, j), at(i, j + 1));
                mesh.addTriangle(at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
            }
        }
    }
}

}
