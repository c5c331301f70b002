#include "Generators.h"

#include "AsteroidShape.h"
#include "BlackHoleShape.h"
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

}

void writeModels(const std::filesystem::path& modelsDir)
{
    ObjWriter::write(modelsDir / "Ship.obj", ShipShape::build(), kHardSurfaceCrease);
    ObjWriter::write(modelsDir / "ShipEngine.obj", ShipEngineShape::build(), kHardSurfaceCrease);
    ObjWriter::write(modelsDir / "Asteroid.obj", AsteroidShape::build(), kRockCrease);
    ObjWriter::write(modelsDir / "BlackHole.obj", BlackHoleShape::build(), kHardSurfaceCrease);
    ObjWriter::write(modelsDir / "GenericSphere.obj", SphereShape::buildEnclosingUnitSphere(48, 24), kRoundCrease);
    // Only the pixels inside a light volume matter, not its outline: a coarse
    // sphere saves the forty volumes most of their vertices and triangles.
    ObjWriter::write(modelsDir / "LightVolume.obj", SphereShape::buildEnclosingUnitSphere(16, 8), kRoundCrease);
}

}
