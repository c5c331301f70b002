#include "GeneratedAssets.h"

#include <gtest/gtest.h>

#include <glm/common.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

using GeneratedAssets::decodeRgb;
using GeneratedAssets::RgbImage;

namespace {

RgbImage texture(const std::string& name)
{
    const RgbImage image = decodeRgb(GeneratedAssets::res("textures/" + name));
    EXPECT_TRUE(image.valid()) << name;
    return image;
}

// Mean and spread of the luminance over a rectangle.
std::pair<float, float> luminance(const RgbImage& image, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    double squares = 0.0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            sum += image.luminance(x, y);
            squares += image.luminance(x, y) * image.luminance(x, y);
        }
    }
    const double n = static_cast<double>(x1 - x0) * (y1 - y0);
    return {static_cast<float>(sum / n), static_cast<float>(std::sqrt(std::max(0.0, squares / n - sum * sum / n / n)))};
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

// Luminance of a small patch at a polar position (radius as a fraction of the
// half size, angle in degrees counter-clockwise from +x) of a square flare.
float flareAt(const RgbImage& flare, float radius, float degrees)
{
    const float half = flare.width * 0.5f;
    const float angle = degrees * 3.14159265f / 180.0f;
    const int x = static_cast<int>(half + radius * half * std::cos(angle));
    const int y = static_cast<int>(half - radius * half * std::sin(angle));
    return luminance(flare, x - 1, y - 1, x + 2, y + 2).first;
}

// The cube-map lookup of OpenGL for a direction, and its inverse for one face.
struct FaceCoordinate {
    int face;
    float s;
    float t;
};

FaceCoordinate lookup(const glm::vec3& d)
{
    const glm::vec3 a = glm::abs(d);
    if (a.x >= a.y && a.x >= a.z) {
        return {d.x > 0 ? 0 : 1, 0.5f * ((d.x > 0 ? -d.z : d.z) / a.x + 1.0f), 0.5f * (-d.y / a.x + 1.0f)};
    }
    if (a.y >= a.z) {
        return {d.y > 0 ? 2 : 3, 0.5f * (d.x / a.y + 1.0f), 0.5f * ((d.y > 0 ? d.z : -d.z) / a.y + 1.0f)};
    }
    return {d.z > 0 ? 4 : 5, 0.5f * ((d.z > 0 ? d.x : -d.x) / a.z + 1.0f), 0.5f * (-d.y / a.z + 1.0f)};
}

glm::vec3 direction(int face, float s, float t)
{
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    const glm::vec3 directions[6] = {{1, -tc, -sc}, {-1, -tc, sc}, {sc, 1, tc}, {sc, -1, -tc}, {sc, -tc, 1}, {-sc, -tc, -1}};
    return directions[face];
}

const std::uint8_t* texelAt(const std::array<RgbImage, 6>& faces, const FaceCoordinate& c)
{
    const RgbImage& image = faces[c.face];
    return image.at(std::clamp(static_cast<int>(c.s * image.width), 0, image.width - 1),
                    std::clamp(static_cast<int>(c.t * image.height), 0, image.height - 1));
}

}

TEST(ImageAssets, EveryTextureIsADetailedPowerOfTwoImage)
{
    for (const char* name : {"Ship.png", "ShipEngine.png", "asteroid.png", "Sun.png", "BlackHole.png", "flare/flare0.bmp",
                             "flare/flare1.bmp", "flare/flare2.bmp", "flare/flare3.bmp", "skybox/right.jpg",
                             "skybox/left.jpg", "skybox/top.jpg", "skybox/bottom.jpg", "skybox/back.jpg",
                             "skybox/front.jpg"}) {
        SCOPED_TRACE(name);
        const RgbImage image = texture(name);
        ASSERT_TRUE(image.valid());
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(image.width));
        EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(image.height));
        EXPECT_GT(luminance(image, 0, 0, image.width, image.height).second, 4.0f) << "looks flat";
    }
}

TEST(ImageAssets, TexturesContinueAcrossTheEdgesTheirModelsWrap)
{
    // Round bodies and the engine wrap in u; the hull plating tiles both ways;
    // each face of the rock shows the whole texture turned or mirrored, so
    // every edge of it must match every other one.
    struct Seam {
        const char* name;
        std::function<std::tuple<Texel, Texel, int>(const RgbImage&)> edges;  // two edges and their length
        float limit;  // 0: no larger a step than between two columns inside
    };
    const auto uSeam = [](const RgbImage& i) { return std::tuple{column(i, i.width - 1), column(i, 0), i.height}; };
    const Seam seams[] = {
        {"Sun.png", uSeam, 0.0f}, {"BlackHole.png", uSeam, 0.0f}, {"ShipEngine.png", uSeam, 0.0f},
        {"Ship.png", uSeam, 0.0f},
        {"Ship.png", [](const RgbImage& i) { return std::tuple{row(i, i.height - 1), row(i, 0), i.width}; }, 0.0f},
        {"asteroid.png", [](const RgbImage& i) { return std::tuple{row(i, 0), column(i, 0), i.width}; }, 1.5f},
        {"asteroid.png", [](const RgbImage& i) { return std::tuple{row(i, 0), column(i, i.width - 1), i.width}; }, 1.5f},
        {"asteroid.png", [](const RgbImage& i) { return std::tuple{column(i, 0), row(i, i.height - 1), i.width}; }, 1.5f},
        {"asteroid.png", [](const RgbImage& i) {
             return std::tuple{row(i, 0), Texel([&i](int x) { return i.at(i.width - 1 - x, 0); }), i.width};
         }, 1.5f},
    };
    for (const Seam& seam : seams) {
        const RgbImage image = texture(seam.name);
        const auto [last, first, length] = seam.edges(image);
        const float inside = difference(column(image, 0), column(image, 1), image.height);
        EXPECT_LE(difference(last, first, length), seam.limit > 0.0f ? seam.limit : 2.0f * inside + 2.0f)
            << seam.name;
    }
}

TEST(ImageAssets, FlaresAreDarkAtTheBorderAndBrightInTheirShapes)
{
    RgbImage flares[4];
    for (int i = 0; i < 4; ++i) {
        flares[i] = texture("flare/flare" + std::to_string(i) + ".bmp");
        ASSERT_EQ(flares[i].width, flares[i].height) << i;
        for (const float degrees : {45.0f, 135.0f, 225.0f, 315.0f}) {
            EXPECT_LT(flareAt(flares[i], 1.35f, degrees), 4.0f) << i;
            EXPECT_LT(flareAt(flares[i], 0.99f, degrees), 4.0f) << i;
        }
    }
    // A glow: hot centre, fading outwards.
    EXPECT_GT(flareAt(flares[0], 0.0f, 0.0f), 240.0f);
    EXPECT_GT(flareAt(flares[0], 0.1f, 0.0f), flareAt(flares[0], 0.4f, 0.0f));
    // A ring, bright at 70% of the radius and dim in the middle; a soft disc; a hexagon with corners on the x axis.
    EXPECT_GT(flareAt(flares[1], 0.7f, 200.0f), 150.0f);
    EXPECT_LT(flareAt(flares[1], 0.0f, 0.0f), 40.0f);
    EXPECT_GT(flareAt(flares[2], 0.45f, 135.0f), 120.0f);
    EXPECT_LT(flareAt(flares[2], 0.8f, 135.0f), 10.0f);
    EXPECT_GT(flareAt(flares[3], 0.75f, 60.0f), 100.0f);
    EXPECT_LT(flareAt(flares[3], 0.75f, 90.0f), 20.0f);
}

TEST(ImageAssets, SkyboxIsADarkStarfieldWhoseFacesMeetWithoutASeam)
{
    // In the order the game uploads them: +X, -X, +Y, -Y, +Z, -Z.
    std::array<RgbImage, 6> faces;
    int f = 0;
    for (const char* name : {"right.jpg", "left.jpg", "top.jpg", "bottom.jpg", "back.jpg", "front.jpg"}) {
        faces[f] = texture(std::string("skybox/") + name);
        ASSERT_EQ(faces[f].width, faces[0].width) << name;
        ASSERT_EQ(faces[f++].height, faces[0].width) << name;
    }
    // Every border texel against its neighbour across the edge, against the
    // next texel inward, and against the neighbour face read back to front.
    const int n = faces[0].width;
    const float half = 0.5f / static_cast<float>(n);
    double across = 0.0;
    double inward = 0.0;
    double mirrored = 0.0;
    const auto channelDifference = [](const std::uint8_t* a, const std::uint8_t* b) {
        return (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2])) / 3.0;
    };
    for (int face = 0; face < 6; ++face) {
        for (int i = 0; i < n; ++i) {
            const float along = (static_cast<float>(i) + 0.5f) / static_cast<float>(n);
            const std::array<std::array<float, 6>, 4> steps{{{along, half, along, -half, along, 3 * half},
                                                             {along, 1 - half, along, 1 + half, along, 1 - 3 * half},
                                                             {half, along, -half, along, 3 * half, along},
                                                             {1 - half, along, 1 + half, along, 1 - 3 * half, along}}};
            for (const auto& [s, t, outS, outT, inS, inT] : steps) {
                const std::uint8_t* here = texelAt(faces, {face, s, t});
                const FaceCoordinate next = lookup(direction(face, outS, outT));
                const bool sCrosses = std::min(next.s, 1.0f - next.s) < std::min(next.t, 1.0f - next.t);
                const FaceCoordinate flipped =
                    sCrosses ? FaceCoordinate{next.face, next.s, 1.0f - next.t} : FaceCoordinate{next.face, 1.0f - next.s, next.t};
                across += channelDifference(here, texelAt(faces, next));
                inward += channelDifference(here, texelAt(faces, {face, inS, inT}));
                mirrored += channelDifference(here, texelAt(faces, flipped));
            }
        }
    }
    EXPECT_LE(across, 1.25 * inward + 0.5 * 24 * n) << "inward " << inward;
    EXPECT_GT(mirrored, 2.0 * across) << "a face turned the wrong way round would show";

    double sum = 0.0;
    int stars = 0;
    int gas = 0;
    for (const RgbImage& face : faces) {
        for (std::size_t i = 0; i < face.rgb.size(); i += 3) {
            const std::uint8_t* p = &face.rgb[i];
            const float y = 0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2];
            sum += y;
            stars += y > 150.0f ? 1 : 0;
            gas += std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 25 ? 1 : 0;
        }
    }
    const double texels = 6.0 * n * n;
    EXPECT_LT(sum / texels, 40.0);
    EXPECT_GT(stars, 1000);
    EXPECT_GT(gas / texels, 0.05);
}
