#include "TrueTypeFont.h"

#include "Image.h"

#include <glm/common.hpp>

#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace AssetGen {

TrueTypeFont::TrueTypeFont(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    m_Data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (m_Data.empty()) {
        throw std::runtime_error("cannot read font " + file.string());
    }
    const int offset = stbtt_GetFontOffsetForIndex(m_Data.data(), 0);
    if (offset < 0 || stbtt_InitFont(&m_Info, m_Data.data(), offset) == 0) {
        throw std::runtime_error("not a TrueType font: " + file.string());
    }
}

bool TrueTypeFont::hasGlyph(int codepoint) const
{
    return stbtt_FindGlyphIndex(&m_Info, codepoint) != 0;
}

GlyphCoverage TrueTypeFont::rasterize(int codepoint, float pixelHeight, float stretchX, float shiftX,
                                      float shiftY) const
{
    const float scale = stbtt_ScaleForPixelHeight(&m_Info, pixelHeight);
    const float scaleX = scale * stretchX;
    GlyphCoverage glyph;
    int x1 = 0;
    int y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(&m_Info, codepoint, scaleX, scale, shiftX, shiftY, &glyph.left, &glyph.top,
                                        &x1, &y1);
    glyph.width = x1 - glyph.left;
    glyph.height = y1 - glyph.top;
    if (glyph.width <= 0 || glyph.height <= 0) {
        glyph.width = 0;
        glyph.height = 0;
        return glyph;
    }
    glyph.alpha.assign(static_cast<std::size_t>(glyph.width) * glyph.height, 0);
    stbtt_MakeCodepointBitmapSubpixel(&m_Info, glyph.alpha.data(), glyph.width, glyph.height, glyph.width, scaleX,
                                      scale, shiftX, shiftY, codepoint);
    return glyph;
}

float TrueTypeFont::ascent(float pixelHeight) const
{
    int ascender = 0;
    int descender = 0;
    int lineGap = 0;
    stbtt_GetFontVMetrics(&m_Info, &ascender, &descender, &lineGap);
    return static_cast<float>(ascender) * stbtt_ScaleForPixelHeight(&m_Info, pixelHeight);
}

float TrueTypeFont::descent(float pixelHeight) const
{
    int ascender = 0;
    int descender = 0;
    int lineGap = 0;
    stbtt_GetFontVMetrics(&m_Info, &ascender, &descender, &lineGap);
    return static_cast<float>(-descender) * stbtt_ScaleForPixelHeight(&m_Info, pixelHeight);
}

float TrueTypeFont::advance(int codepoint, float pixelHeight) const
{
    int advanceWidth = 0;
    int leftBearing = 0;
    stbtt_GetCodepointHMetrics(&m_Info, codepoint, &advanceWidth, &leftBearing);
    return static_cast<float>(advanceWidth) * stbtt_ScaleForPixelHeight(&m_Info, pixelHeight);
}

float TrueTypeFont::textWidth(const std::string& text, float pixelHeight) const
{
    float width = 0.0f;
    for (const char c : text) {
        width += advance(static_cast<unsigned char>(c), pixelHeight);
    }
    return width;
}

void TrueTypeFont::drawText(Image& image, const std::string& text, float x, float baseline, float pixelHeight,
                            const glm::vec3& colour) const
{
    float pen = x;
    const float penY = std::floor(baseline);
    for (const char c : text) {
        const int codepoint = static_cast<unsigned char>(c);
        const float penX = std::floor(pen);
        const GlyphCoverage glyph = rasterize(codepoint, pixelHeight, 1.0f, pen - penX, baseline - penY);
        for (int gy = 0; gy < glyph.height; ++gy) {
            for (int gx = 0; gx < glyph.width; ++gx) {
                const int px = static_cast<int>(penX) + glyph.left + gx;
                const int py = static_cast<int>(penY) + glyph.top + gy;
                if (px < 0 || py < 0 || px >= image.width() || py >= image.height()) {
                    continue;
                }
                const float coverage = glyph.alpha[static_cast<std::size_t>(gy) * glyph.width + gx] / 255.0f;
                image.at(px, py) = glm::mix(image.at(px, py), colour, coverage);
            }
        }
        pen += advance(codepoint, pixelHeight);
    }
}

}
