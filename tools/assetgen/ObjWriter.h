#pragma once

#include "MeshBuilder.h"

#include <filesystem>
#include <string>

namespace AssetGen {

// Writes a mesh as a Wavefront OBJ file of triangles with `f v/vt/vn` faces.
// Numbers are written with a fixed six decimals, independent of the locale,
// and identical texture coordinates and normals are stored once, so the same
// mesh always gives the same bytes. A coarser level of detail of a shape
// carries its geometric error, the largest distance between its surface and
// the finest mesh's, on its second line: "# geometric error: 0.123456".
class ObjWriter {
public:
    static void write(const std::filesystem::path& file, const MeshBuilder& mesh, float creaseDegrees,
                      float geometricError = 0.0f);
    static std::string formatNumber(float value);
};

}
