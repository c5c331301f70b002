#include "Generators.h"

#include "AsteroidShape.h"
#include "BlackHoleShape.h"
#include "MeshDeviation.h"
#include "ObjWriter.h"
#include "ShipEngineShape.h"
#include "ShipShape.h"
#include "SphereShape.h"

namespace AssetGen {

namespace {

// Faces meeting at a sharper angle than this keep a hard edge. Machined
// parts want crisp panels; the rock and the spheres are meant to look round.
constexpr float kHardSurfaceCrease = 35.0f;
constexpr float kRockCrease = 65.0f;
constexpr float kRoundCrease = 60.0f;

// Writes "<name>.obj" and each coarser level as "<name>_lod<n>.obj" with its
// geometric error, for bodies too far away to show the finest mesh's detail.
void writeDetailLevels(const std::filesystem::path& dir, const std::string& name,
                       const std::vector<MeshBuilder>& finestFirst, float creaseDegrees)
{
    ObjWriter::write(dir / (name + ".obj"), finestFirst.front(), creaseDegrees);
    for (std::size_t level = 1; level < finestFirst.size(); ++level) {
        ObjWriter::write(dir / (name + "_lod" + std::to_string(level) + ".obj"), finestFirst[level], creaseDegrees,
                         MeshDeviation::between(finestFirst.front(), finestFirst[level]));
    }
}

}

void writeModels(const std::filesystem::path& modelsDir)
{
    ObjWriter::write(modelsDir / "Ship.obj", ShipShape::build(), kHardSurfaceCrease);
    ObjWriter::write(modelsDir / "ShipEngine.obj", ShipEngineShape::build(), kHardSurfaceCrease);
    writeDetailLevels(modelsDir, "Asteroid", {AsteroidShape::build(), AsteroidShape::build(12), AsteroidShape::build(8)},
                      kRockCrease);
    ObjWriter::write(modelsDir / "BlackHole.obj", BlackHoleShape::build(), kHardSurfaceCrease);
    writeDetailLevels(modelsDir, "GenericSphere",
                      {SphereShape::buildEnclosingUnitSphere(48, 24), SphereShape::buildEnclosingUnitSphere(24, 12),
                       SphereShape::buildEnclosingUnitSphere(12, 6)},
                      kRoundCrease);
    // Only the pixels inside a light volume matter, not its outline: a coarse
    // sphere saves the forty volumes most of their vertices and triangles.
    ObjWriter::write(modelsDir / "LightVolume.obj", SphereShape::buildEnclosingUnitSphere(16, 8), kRoundCrease);
}

}
