#pragma once

#include "Dxt5.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace AssetGen {

// A DirectDraw Surface holding one DXT5 texture with its mipmap levels:
// the "DDS " magic, the 124-byte header, then the levels largest first.
class DdsFile {
public:
    // `levels` are compressed DXT5 data, level 0 first, each level half the
    // size of the one before (at least 1 x 1).
    static void writeDxt5(const std::filesystem::path& file, int width, int height,
                          const std::vector<std::vector<std::uint8_t>>& levels);
    // Decodes level 0 of a file written by writeDxt5.
    static RgbaImage readDxt5Level0(const std::filesystem::path& file);
};

}
