#pragma once

#include <stb_truetype.h>

#include <glm/vec3.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace AssetGen {

class Image;

// Anti-aliased coverage of one glyph; (left, top) is where its top-left
// pixel goes relative to the pen position on the baseline.
struct GlyphCoverage {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    std::vector<unsigned char> alpha;
};

// A TrueType font read from disk and rasterised with stb_truetype.
class TrueTypeFont {
public:
    explicit TrueTypeFont(const std::filesystem::path& file);

    bool hasGlyph(int codepoint) const;
    // `pixelHeight` is the distance from the highest ascender to the lowest
    // descender; `stretchX` widens the glyph without changing its height.
    // The pen may sit at a fractional position, given by `shiftX`/`shiftY`.
    GlyphCoverage rasterize(int codepoint, float pixelHeight, float stretchX, float shiftX, float shiftY) const;
    float ascent(float pixelHeight) const;
    float descent(float pixelHeight) const;
    float advance(int codepoint, float pixelHeight) const;
    float textWidth(const std::string& text, float pixelHeight) const;

    // Paints ASCII text onto an image, blending `colour` by the glyph coverage.
    void drawText(Image& image, const std::string& text, float x, float baseline, float pixelHeight,
                  const glm::vec3& colour) const;

private:
    std::vector<unsigned char> m_Data;
    stbtt_fontinfo m_Info{};
};

}
