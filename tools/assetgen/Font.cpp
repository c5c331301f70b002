#include "Generators.h"

#include "DdsFile.h"
#include "Dxt5.h"
#include "TrueTypeFont.h"

#include <algorithm>
#include <cmath>

namespace AssetGen {

namespace {

constexpr int kAtlasSize = 512;
constexpr int kCell = kAtlasSize / 16;
// Empty border inside each cell, so that the smaller mipmap levels mix in
// little of the neighbouring glyphs.
constexpr int kPadding = 2;
// The game draws every character in a square cell; widening the narrow
// monospaced glyphs a little closes some of the gap that leaves.
constexpr float kStretch = 1.25f;
// Each glyph is painted twice, this far apart, which thickens the upright
// strokes: text over a busy, bright scene reads better a little heavier.
constexpr float kEmbolden = 0.8f;

bool hasInk(int code)
{
    return (code > 32 && code < 127) || (code > 160 && code < 256);
}

void blitGlyph(RgbaImage& atlas, const GlyphCoverage& glyph, int penX, int penY, int cellX, int cellY)
{
    for (int gy = 0; gy < glyph.height; ++gy) {
        for (int gx = 0; gx < glyph.width; ++gx) {
            const int x = penX + glyph.left + gx;
            const int y = penY + glyph.top + gy;
            // Never paint outside the glyph's own cell, whatever the outline does.
            if (x < cellX + 1 || y < cellY + 1 || x >= cellX + kCell - 1 || y >= cellY + kCell - 1) {
                continue;
            }
            std::uint8_t& alpha = atlas.pixels[(static_cast<std::size_t>(y) * atlas.width + x) * 4 + 3];
            alpha = std::max(alpha, glyph.alpha[static_cast<std::size_t>(gy) * glyph.width + gx]);
        }
    }
}

// White everywhere, the glyph coverage in alpha; character code c sits at
// column c mod 16 and row c div 16, row 0 at the top.
RgbaImage renderAtlas(const TrueTypeFont& font)
{
    RgbaImage atlas{kAtlasSize, kAtlasSize, std::vector<std::uint8_t>(kAtlasSize * kAtlasSize * 4, 255)};
    for (std::size_t i = 3; i < atlas.pixels.size(); i += 4) {
        atlas.pixels[i] = 0;
    }
    const float height = static_cast<float>(kCell - 2 * kPadding);
    const float baselineInCell = static_cast<float>(kPadding) + font.ascent(height);
    for (int code = 0; code < 256; ++code) {
        if (!hasInk(code) || !font.hasGlyph(code)) {
            continue;
        }
        const int cellX = (code % 16) * kCell;
        const int cellY = (code / 16) * kCell;
        const float pen = static_cast<float>(cellX) + (kCell - font.advance(code, height) * kStretch) * 0.5f;
        const float baseline = static_cast<float>(cellY) + baselineInCell;
        const int penY = static_cast<int>(std::floor(baseline));
        for (const float offset : {-0.5f * kEmbolden, 0.5f * kEmbolden}) {
            const float x = pen + offset;
            const int penX = static_cast<int>(std::floor(x));
            const GlyphCoverage glyph = font.rasterize(code, height, kStretch, x - penX, baseline - penY);
            blitGlyph(atlas, glyph, penX, penY, cellX, cellY);
        }
    }
    return atlas;
}

// Averages 2 x 2 blocks. Straight averaging is right here because the colour
// is white everywhere and only alpha varies.
RgbaImage halve(const RgbaImage& image)
{
    const int width = std::max(1, image.width / 2);
    const int height = std::max(1, image.height / 2);
    RgbaImage half{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int j = 0; j < 2; ++j) {
                    for (int i = 0; i < 2; ++i) {
                        const int sx = std::min(x * 2 + i, image.width - 1);
                        const int sy = std::min(y * 2 + j, image.height - 1);
                        sum += image.pixels[(static_cast<std::size_t>(sy) * image.width + sx) * 4 + c];
                    }
                }
                half.pixels[(static_cast<std::size_t>(y) * width + x) * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return half;
}

}

void writeFont(const std::filesystem::path& fontsDir)
{
    const TrueTypeFont font(ORBIVANE_FONT_PATH);
    RgbaImage level = renderAtlas(font);
    std::vector<std::vector<std::uint8_t>> levels;
    // The game sets no texture parameters, so sampling uses the default
    // mipmapping filter and needs every level down to 1 x 1.
    for (;;) {
        levels.push_back(Dxt5::compress(level));
        if (level.width == 1 && level.height == 1) {
            break;
        }
        level = halve(level);
    }
    DdsFile::writeDxt5(fontsDir / "test.dds", kAtlasSize, kAtlasSize, levels);
}

}
