#pragma once

#include <cstdint>
#include <vector>

namespace AssetGen {

// An RGBA image with 8 bits per channel, rows top first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// S3TC DXT5 (BC3): 4 x 4 texel blocks of 16 bytes, eight bytes of
// interpolated alpha followed by eight bytes of interpolated colour.
class Dxt5 {
public:
    static constexpr int kBlockBytes = 16;

    static std::size_t compressedSize(int width, int height);
    // Images smaller than a block are padded by repeating their edge texels.
    static std::vector<std::uint8_t> compress(const RgbaImage& image);
    static RgbaImage decompress(const std::uint8_t* blocks, int width, int height);
};

}
