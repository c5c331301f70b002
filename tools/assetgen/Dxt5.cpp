#include "Dxt5.h"

#include <stb_dxt.h>

#include <algorithm>
#include <array>

namespace AssetGen {

namespace {

int blocksAcross(int pixels)
{
    return (pixels + 3) / 4;
}

std::array<std::uint8_t, 64> gatherBlock(const RgbaImage& image, int bx, int by)
{
    std::array<std::uint8_t, 64> block{};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const int sx = std::min(bx * 4 + x, image.width - 1);
            const int sy = std::min(by * 4 + y, image.height - 1);
            const std::size_t from = (static_cast<std::size_t>(sy) * image.width + sx) * 4;
            std::copy_n(&image.pixels[from], 4, &block[(y * 4 + x) * 4]);
        }
    }
    return block;
}

std::array<std::uint8_t, 8> alphaPalette(std::uint8_t a0, std::uint8_t a1)
{
    std::array<std::uint8_t, 8> palette{a0, a1};
    for (int i = 1; i < 7; ++i) {
        if (a0 > a1) {
            palette[i + 1] = static_cast<std::uint8_t>(((7 - i) * a0 + i * a1) / 7);
        } else if (i < 5) {
            palette[i + 1] = static_cast<std::uint8_t>(((5 - i) * a0 + i * a1) / 5);
        }
    }
    if (a0 <= a1) {
        palette[6] = 0;
        palette[7] = 255;
    }
    return palette;
}

std::array<std::uint8_t, 3> expand565(std::uint16_t c)
{
    const int r = (c >> 11) & 31;
    const int g = (c >> 5) & 63;
    const int b = c & 31;
    return {static_cast<std::uint8_t>((r << 3) | (r >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
            static_cast<std::uint8_t>((b << 3) | (b >> 2))};
}

void decodeBlock(const std::uint8_t* block, RgbaImage& image, int bx, int by)
{
    const std::array<std::uint8_t, 8> alphas = alphaPalette(block[0], block[1]);
    std::uint64_t alphaBits = 0;
    for (int i = 5; i >= 0; --i) {
        alphaBits = (alphaBits << 8) | block[2 + i];
    }
    const auto c0 = expand565(static_cast<std::uint16_t>(block[8] | (block[9] << 8)));
    const auto c1 = expand565(static_cast<std::uint16_t>(block[10] | (block[11] << 8)));
    std::array<std::array<std::uint8_t, 3>, 4> colours{c0, c1};
    for (int ch = 0; ch < 3; ++ch) {
        colours[2][ch] = static_cast<std::uint8_t>((2 * c0[ch] + c1[ch]) / 3);
        colours[3][ch] = static_cast<std::uint8_t>((c0[ch] + 2 * c1[ch]) / 3);
    }
    const std::uint32_t colourBits = block[12] | (block[13] << 8) | (block[14] << 16) | (static_cast<std::uint32_t>(block[15]) << 24);
    for (int i = 0; i < 16; ++i) {
        const int x = bx * 4 + i % 4;
        const int y = by * 4 + i / 4;
        if (x >= image.width || y >= image.height) {
            continue;
        }
        std::uint8_t* out = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
        const auto& colour = colours[(colourBits >> (2 * i)) & 3];
        std::copy(colour.begin(), colour.end(), out);
        out[3] = alphas[(alphaBits >> (3 * i)) & 7];
    }
}

}

std::size_t Dxt5::compressedSize(int width, int height)
{
    return static_cast<std::size_t>(blocksAcross(width)) * blocksAcross(height) * kBlockBytes;
}

std::vector<std::uint8_t> Dxt5::compress(const RgbaImage& image)
{
    std::vector<std::uint8_t> blocks(compressedSize(image.width, image.height));
    std::size_t offset = 0;
    for (int by = 0; by < blocksAcross(image.height); ++by) {
        for (int bx = 0; bx < blocksAcross(image.width); ++bx) {
            const std::array<std::uint8_t, 64> texels = gatherBlock(image, bx, by);
            stb_compress_dxt_block(&blocks[offset], texels.data(), 1, STB_DXT_HIGHQUAL);
            offset += kBlockBytes;
        }
    }
    return blocks;
}

RgbaImage Dxt5::decompress(const std::uint8_t* blocks, int width, int height)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int by = 0; by < blocksAcross(height); ++by) {
        for (int bx = 0; bx < blocksAcross(width); ++bx) {
            decodeBlock(blocks, image, bx, by);
            blocks += kBlockBytes;
        }
    }
    return image;
}

}
