#include "Generators.h"

#include "CubeMapFace.h"
#include "SkyModel.h"

namespace AssetGen {

namespace {

constexpr int kFaceSize = 1024;
constexpr int kJpegQuality = 95;

struct FaceFile {
    CubeMapFace face;
    const char* name;
};

// The game uploads these files to +X, -X, +Y, -Y, +Z, -Z in this order.
constexpr FaceFile kFaces[] = {
    {CubeMapFace::PositiveX, "right.jpg"},  {CubeMapFace::NegativeX, "left.jpg"},
    {CubeMapFace::PositiveY, "top.jpg"},    {CubeMapFace::NegativeY, "bottom.jpg"},
    {CubeMapFace::PositiveZ, "back.jpg"},   {CubeMapFace::NegativeZ, "front.jpg"},
};

}

void writeSkybox(const std::filesystem::path& skyboxDir)
{
    const SkyModel sky(kFaceSize);
    for (const FaceFile& file : kFaces) {
        sky.renderFace(file.face).writeJpg(skyboxDir / file.name, kJpegQuality);
    }
}

}
