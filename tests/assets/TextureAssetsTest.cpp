#include "GeneratedAssets.h"

#include "helpers/TextureManager.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using GeneratedAssets::decodeRgb;
using GeneratedAssets::RgbImage;

namespace {

const char* const kEntityTextures[] = {"Ship.png", "ShipEngine.png", "asteroid.png", "Sun.png", "BlackHole.png"};

RgbImage texture(const std::string& name)
{
    return decodeRgb(GeneratedAssets::res("textures/" + name));
}

float meanLuminance(const RgbImage& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            sum += image.luminance(x, y);
        }
    }
    return static_cast<float>(sum / (static_cast<double>(image.width) * image.height));
}

float luminanceSpread(const RgbImage& image)
{
    const float mean = meanLuminance(image);
    double sum = 0.0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            sum += (image.luminance(x, y) - mean) * (image.luminance(x, y) - mean);
        }
    }
    return static_cast<float>(std::sqrt(sum / (static_cast<double>(image.width) * image.height)));
}

// Mean absolute channel difference between two runs of n texels.
using Texel = std::function<const std::uint8_t*(int i)>;
float difference(const Texel& a, const Texel& b, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(a(i)[c] - b(i)[c]);
        }
    }
    return static_cast<float>(sum / (3.0 * n));
}

Texel column(const RgbImage& image, int x)
{
    return [&image, x](int y) { return image.at(x, y); };
}

Texel row(const RgbImage& image, int y)
{
    return [&image, y](int x) { return image.at(x, y); };
}

Texel reversed(const Texel& texel, int n)
{
    return [texel, n](int i) { return texel(n - 1 - i); };
}

// Where u wraps, the last column must continue into the first about as
// smoothly as any column continues into the next.
void expectWrapsInU(const std::string& name)
{
    const RgbImage image = texture(name);
    ASSERT_TRUE(image.valid()) << name;
    const float seam = difference(column(image, image.width - 1), column(image, 0), image.height);
    const float neighbours = difference(column(image, 0), column(image, 1), image.height);
    EXPECT_LE(seam, 2.0f * neighbours + 2.0f) << name;
}

float average(const RgbImage& image, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            sum += image.luminance(x, y);
        }
    }
    return static_cast<float>(sum / ((x1 - x0) * (y1 - y0)));
}

// Mean luminance of a small patch at polar position (radius as a fraction of
// the half size, angle in degrees counter-clockwise from +x) of a square flare.
float flareAt(const RgbImage& flare, float radius, float degrees)
{
    const float half = flare.width * 0.5f;
    const float angle = degrees * 3.14159265f / 180.0f;
    const int x = static_cast<int>(half + radius * half * std::cos(angle));
    const int y = static_cast<int>(half - radius * half * std::sin(angle));
    return average(flare, x - 1, y - 1, x + 2, y + 2);
}

float brightestCorner(const RgbImage& flare)
{
    const int n = flare.width;
    float brightest = 0.0f;
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{n - 6, 0}, std::pair{0, n - 6}, std::pair{n - 6, n - 6}}) {
        for (int j = 0; j < 6; ++j) {
            for (int i = 0; i < 6; ++i) {
                brightest = std::max(brightest, flare.luminance(x + i, y + j));
            }
        }
    }
    return brightest;
}

}

TEST(TextureAssets, EntityTexturesAreDetailedPowerOfTwoImages)
{
    for (const char* name : kEntityTextures) {
        const RgbImage image = texture(name);
        ASSERT_TRUE(image.valid()) << name;
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(image.width)) << name << " width " << image.width;
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(image.height)) << name << " height " << image.height;
        EXPECT_GT(luminanceSpread(image), 4.0f) << name << " looks flat";
    }
}

TEST(TextureAssets, SunIsBrightWarmWhiteAndBlackHoleIsDarkWithAFaintGlow)
{
    const RgbImage sun = texture("Sun.png");
    ASSERT_TRUE(sun.valid());
    EXPECT_GT(meanLuminance(sun), 190.0f);
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    for (std::size_t i = 0; i < sun.rgb.size(); i += 3) {
        red += sun.rgb[i];
        green += sun.rgb[i + 1];
        blue += sun.rgb[i + 2];
    }
    EXPECT_GE(red, green);
    EXPECT_GT(green, blue);

    const RgbImage hole = texture("BlackHole.png");
    ASSERT_TRUE(hole.valid());
    EXPECT_LT(meanLuminance(hole), 25.0f);
    float brightest = 0.0f;
    for (int y = 0; y < hole.height; ++y) {
        for (int x = 0; x < hole.width; ++x) {
            brightest = std::max(brightest, hole.luminance(x, y));
        }
    }
    EXPECT_GT(brightest, 40.0f);
}

TEST(TextureAssets, TexturesContinueAcrossTheEdgesTheirModelsWrap)
{
    // Spheres and the engine wrap around in u; the hull plating tiles both ways.
    for (const char* name : {"Sun.png", "BlackHole.png", "ShipEngine.png", "Ship.png"}) {
        expectWrapsInU(name);
    }
    const RgbImage hull = texture("Ship.png");
    ASSERT_TRUE(hull.valid());
    const float seam = difference(row(hull, hull.height - 1), row(hull, 0), hull.width);
    EXPECT_LE(seam, 2.0f * difference(row(hull, 0), row(hull, 1), hull.width) + 2.0f);
}

TEST(TextureAssets, AsteroidEdgesJoinInEveryOrientation)
{
    // Each face of the rock shows the whole texture, turned or mirrored
    // differently, so every edge must match every other one either way round.
    const RgbImage rock = texture("asteroid.png");
    ASSERT_TRUE(rock.valid());
    ASSERT_EQ(rock.width, rock.height);
    const int n = rock.width;
    const Texel edges[] = {row(rock, 0), row(rock, n - 1), column(rock, 0), column(rock, n - 1)};
    for (const Texel& a : edges) {
        EXPECT_LE(difference(a, reversed(a, n), n), 1.5f);
        for (const Texel& b : edges) {
            EXPECT_LE(difference(a, b, n), 1.5f);
        }
    }
    // The check has teeth: inside the texture, rows do differ.
    EXPECT_GT(difference(row(rock, 0), row(rock, n / 2), n), 8.0f);
}

TEST(TextureAssets, FlaresAreDarkAtTheBorderAndBrightInTheirShapes)
{
    RgbImage flares[4];
    for (int i = 0; i < 4; ++i) {
        flares[i] = texture("flare/flare" + std::to_string(i) + ".bmp");
        ASSERT_TRUE(flares[i].valid()) << i;
        EXPECT_EQ(flares[i].width, flares[i].height) << i;
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(flares[i].width)) << i;
        EXPECT_LT(brightestCorner(flares[i]), 4.0f) << i;
        EXPECT_LT(flareAt(flares[i], 0.99f, 45.0f), 4.0f) << i;
    }
    // A glow: hot centre, fading outwards.
    EXPECT_GT(flareAt(flares[0], 0.0f, 0.0f), 240.0f);
    EXPECT_GT(flareAt(flares[0], 0.1f, 0.0f), flareAt(flares[0], 0.4f, 0.0f));
    // A ring: bright at 70% of the radius all round, dim in the middle.
    for (const float degrees : {0.0f, 90.0f, 200.0f, 300.0f}) {
        EXPECT_GT(flareAt(flares[1], 0.7f, degrees), 150.0f) << degrees;
    }
    EXPECT_LT(flareAt(flares[1], 0.0f, 0.0f), 40.0f);
    // A soft disc: lit inside, dark well outside it.
    EXPECT_GT(flareAt(flares[2], 0.0f, 0.0f), 120.0f);
    EXPECT_GT(flareAt(flares[2], 0.45f, 135.0f), 120.0f);
    EXPECT_LT(flareAt(flares[2], 0.8f, 135.0f), 10.0f);
    // A hexagon with corners on the horizontal axis: at 75% of the half size
    // the corner directions are still inside, the edge directions outside.
    for (int k = 0; k < 6; ++k) {
        EXPECT_GT(flareAt(flares[3], 0.75f, 60.0f * k), 100.0f) << "corner " << k;
        EXPECT_LT(flareAt(flares[3], 0.75f, 60.0f * k + 30.0f), 20.0f) << "edge " << k;
    }
}

TEST(TextureAssets, GameLoadsEveryEntityAndFlareTexture)
{
    OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir workDir;
    workDir.linkGameAssets();
    auto& textures = Orbivane::Helpers::TextureManager::instance();
    std::vector<std::string> paths;
    for (const char* name : kEntityTextures) {
        paths.push_back(std::string("res\\textures\\") + name);
    }
    for (int i = 0; i < 4; ++i) {
        paths.push_back("res\\textures\\flare\\flare" + std::to_string(i) + ".bmp");
    }
    for (const std::string& path : paths) {
        const GLuint id = textures.loadTexture(path);
        ASSERT_NE(id, 0u) << path;
        glBindTexture(GL_TEXTURE_2D, id);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(width)) << path;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
