#include "Generators.h"

#include "DdsFile.h"
#include "Image.h"
#include "TrueTypeFont.h"

#include <glm/common.hpp>

#include <string>

namespace AssetGen {

namespace {

const glm::vec3 kBackground(0.06f, 0.065f, 0.08f);
const glm::vec3 kTitleColour(0.93f, 0.94f, 0.97f);
const glm::vec3 kLabelColour(0.62f, 0.65f, 0.72f);
constexpr int kMargin = 32;
constexpr int kGap = 24;
constexpr int kTile = 256;
constexpr int kFaceTile = 128;
constexpr float kLabelSize = 15.0f;
constexpr float kHeadingSize = 20.0f;

// Shrinks an image to `width` pixels across by averaging whole blocks.
Image thumbnail(const Image& image, int width)
{
    return image.width() > width ? image.downsampled(image.width() / width) : image;
}

Image flipped(const Image& image, bool horizontally)
{
    Image result(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            result.at(x, y) = horizontally ? image.at(image.width() - 1 - x, y) : image.at(x, image.height() - 1 - y);
        }
    }
    return result;
}

class SheetPainter {
public:
    SheetPainter(Image& sheet, const TrueTypeFont& font) : m_Sheet(sheet), m_Font(font) {}

    void heading(const std::string& text, int x, int y)
    {
        m_Font.drawText(m_Sheet, text, static_cast<float>(x), static_cast<float>(y), kHeadingSize, kTitleColour);
    }

    // Pastes the picture with its caption underneath.
    void tile(const Image& picture, int x, int y, const std::string& caption)
    {
        m_Sheet.paste(picture, x, y);
        m_Font.drawText(m_Sheet, caption, static_cast<float>(x), static_cast<float>(y + picture.height() + 18),
                        kLabelSize, kLabelColour);
    }

private:
    Image& m_Sheet;
    const TrueTypeFont& m_Font;
};

void drawTextures(SheetPainter& painter, const std::filesystem::path& textures, int top)
{
    painter.heading("Textures", kMargin, top - 14);
    const int step = kTile + kGap;
    painter.tile(thumbnail(Image::load(textures / "Ship.png"), kTile), kMargin, top, "Ship.png");
    painter.tile(thumbnail(Image::load(textures / "ShipEngine.png"), kTile), kMargin + step, top, "ShipEngine.png");
    painter.tile(thumbnail(Image::load(textures / "asteroid.png"), kTile), kMargin + 2 * step, top, "asteroid.png");
    painter.tile(thumbnail(Image::load(textures / "Sun.png"), kTile), kMargin + 3 * step, top, "");
    painter.tile(thumbnail(Image::load(textures / "BlackHole.png"), kTile), kMargin + 3 * step, top + kTile / 2,
                 "Sun.png, BlackHole.png");
}

// The cube unfolded as seen from inside: back, left, front, right across the
// middle, the top above the front and the bottom below it. Seen from inside,
// the stored faces are mirrored, so each is flipped back for display.
void drawSkybox(SheetPainter& painter, const std::filesystem::path& skybox, int left, int top)
{
    painter.heading("Skybox, unfolded as seen from inside", left, top - 14);
    const auto face = [&skybox](const char* name) { return thumbnail(Image::load(skybox / name), kFaceTile); };
    const int row = top + kFaceTile;
    painter.tile(flipped(face("top.jpg"), false), left + 2 * kFaceTile, top, "");
    painter.tile(flipped(face("back.jpg"), true), left, row, "");
    painter.tile(flipped(face("left.jpg"), true), left + kFaceTile, row, "");
    painter.tile(flipped(face("front.jpg"), true), left + 2 * kFaceTile, row, "");
    painter.tile(flipped(face("right.jpg"), true), left + 3 * kFaceTile, row, "");
    painter.tile(flipped(face("bottom.jpg"), false), left + 2 * kFaceTile, row + kFaceTile,
                 "back, left, front, right; top and bottom");
}

void drawFlares(SheetPainter& painter, const std::filesystem::path& flares, int left, int top)
{
    painter.heading("Lens flare elements", left, top - 14);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "flare" + std::to_string(i) + ".bmp";
        painter.tile(thumbnail(Image::load(flares / name), kFaceTile), left + i * kFaceTile, top, i == 0 ? "flare0-3.bmp" : "");
    }
}

Image compositeOver(const RgbaImage& rgba, const glm::vec3& background)
{
    Image image(rgba.width, rgba.height);
    for (int y = 0; y < rgba.height; ++y) {
        for (int x = 0; x < rgba.width; ++x) {
            const std::uint8_t* p = &rgba.pixels[(static_cast<std::size_t>(y) * rgba.width + x) * 4];
            const glm::vec3 colour(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f);
            image.at(x, y) = glm::mix(background, colour, p[3] / 255.0f);
        }
    }
    return image;
}

// A line set the way the game sets text: every character in a square cell
// of 24 pixels, sampled from the atlas.
Image sampleLine(const Image& atlas, const std::string& text)
{
    constexpr int kSize = 24;
    const int cell = atlas.width() / 16;
    Image line(kSize * static_cast<int>(text.size()), kSize, kBackground);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int code = static_cast<unsigned char>(text[i]);
        Image glyph(cell, cell);
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                glyph.at(x, y) = atlas.at((code % 16) * cell + x, (code / 16) * cell + y);
            }
        }
        line.paste(glyph.resized(kSize, kSize), static_cast<int>(i) * kSize, 0);
    }
    return line;
}

void drawFont(SheetPainter& painter, const std::filesystem::path& fonts, int left, int top)
{
    painter.heading("Font atlas, DXT5 level 0", left, top - 14);
    const Image atlas = compositeOver(DdsFile::readDxt5Level0(fonts / "test.dds"), kBackground);
    painter.tile(atlas, left, top, "test.dds, 16 x 16 cells");
    painter.tile(sampleLine(atlas, "Score: 42  Level 2"), left, top + atlas.height() + 40,
                 "as drawn in game, 24 px cells");
}

}

void writeContactSheet(const std::filesystem::path& resDir, const std::filesystem::path& sheetFile)
{
    const TrueTypeFont font(ORBIVANE_FONT_PATH);
    constexpr int kWidth = 2 * kMargin + 4 * kTile + 3 * kGap;
    constexpr int kTexturesTop = 110;
    constexpr int kSecondRowTop = kTexturesTop + kTile + 90;
    constexpr int kFlaresTop = kSecondRowTop + 3 * kFaceTile + 90;
    constexpr int kHeight = kFlaresTop + kFaceTile + 60;
    Image sheet(kWidth, kHeight, kBackground);
    SheetPainter painter(sheet, font);
    font.drawText(sheet, "Orbivane - generated assets", kMargin, 56, 30.0f, kTitleColour);
    drawTextures(painter, resDir / "textures", kTexturesTop);
    drawSkybox(painter, resDir / "textures" / "skybox", kMargin, kSecondRowTop);
    drawFlares(painter, resDir / "textures" / "flare", kMargin, kFlaresTop);
    drawFont(painter, resDir / "fonts", kWidth - kMargin - 512, kSecondRowTop);
    sheet.writePng(sheetFile);
}

}
