#include <gtest/gtest.h>

#include <stb_image.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// A texture of the built game decoded with stb_image asking for three channels, as the game does.
struct RgbImage {
    int width = 0;
    int height = 0;
    int channelsInFile = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    float luminance(std::size_t i) const { return 0.299f * rgb[3 * i] + 0.587f * rgb[3 * i + 1] + 0.114f * rgb[3 * i + 2]; }
};

RgbImage decodeTexture(const std::string& name)
{
    RgbImage image;
    const std::string path = std::string(ORBIVANE_GAME_DIR) + "/res/textures/" + name;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load(path.c_str(), &image.width, &image.height, &image.channelsInFile, 3), &stbi_image_free);
    if (pixels) {
        image.rgb.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(image.width) * image.height * 3);
    }
    return image;
}

// The texel a cube-map lookup of OpenGL finds in the direction d; faces in
// the order the game uploads them: +X, -X, +Y, -Y, +Z, -Z.
const std::uint8_t* skyTexel(const std::array<RgbImage, 6>& faces, const glm::vec3& d)
{
    const glm::vec3 a = glm::abs(d);
    const int axis = a.x >= a.y && a.x >= a.z ? 0 : (a.y >= a.z ? 1 : 2);
    const bool positive = d[axis] > 0.0f;
    const float sc[3] = {positive ? -d.z : d.z, d.x, positive ? d.x : -d.x};
    const float tc[3] = {-d.y, positive ? d.z : -d.z, -d.y};
    const RgbImage& face = faces[2 * axis + (positive ? 0 : 1)];
    const auto texelIndex = [&face, &a, axis](float c) {
        return std::clamp(static_cast<int>(0.5f * (c / a[axis] + 1.0f) * face.width), 0, face.width - 1);
    };
    return face.at(texelIndex(sc[axis]), texelIndex(tc[axis]));
}

double difference(const std::uint8_t* p, const std::uint8_t* q)
{
    return (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2])) / 3.0;
}

}

// Every image is decoded as RGB with mipmaps built from it: a file with alpha
// would lose it, an odd size would blur its smaller levels, a flat one shows nothing.
TEST(ImageAssets, EveryTextureIsAnRgbPowerOfTwoImageWithDetail)
{
    for (const char* name : {"Ship.png", "ShipEngine.png", "asteroid.png", "Sun.png", "BlackHole.png", "flare/flare0.bmp",
                             "flare/flare1.bmp", "flare/flare2.bmp", "flare/flare3.bmp", "skybox/right.jpg",
                             "skybox/left.jpg", "skybox/top.jpg", "skybox/bottom.jpg", "skybox/back.jpg",
                             "skybox/front.jpg"}) {
        SCOPED_TRACE(name);
        const RgbImage image = decodeTexture(name);
        ASSERT_FALSE(image.rgb.empty());
        EXPECT_EQ(image.channelsInFile, 3);
        EXPECT_EQ(image.width & (image.width - 1), 0);
        EXPECT_EQ(image.height & (image.height - 1), 0);
        const std::size_t n = image.rgb.size() / 3;
        double sum = 0.0;
        double squares = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            sum += image.luminance(i);
            squares += image.luminance(i) * image.luminance(i);
        }
        EXPECT_GT(squares / n - sum * sum / n / n, 16.0) << "looks flat";
    }
}

// Flare sprites are drawn as quads centred on their place in the chain; any
// light off centre or near the square's edge would show the quad.
TEST(ImageAssets, FlaresAreCentredAndDarkTowardsTheirBorder)
{
    for (const char* name : {"flare0.bmp", "flare1.bmp", "flare2.bmp", "flare3.bmp"}) {
        SCOPED_TRACE(name);
        const RgbImage flare = decodeTexture(std::string("flare/") + name);
        ASSERT_FALSE(flare.rgb.empty());
        ASSERT_EQ(flare.width, flare.height);
        const float half = 0.5f * static_cast<float>(flare.width);
        double weight = 0.0;
        glm::dvec2 centroid(0.0);
        float outside = 0.0f;
        for (int i = 0; i < flare.width * flare.height; ++i) {
            const glm::vec2 place(i % flare.width + 0.5f, i / flare.width + 0.5f);
            const float l = flare.luminance(static_cast<std::size_t>(i));
            weight += l;
            centroid += glm::dvec2(place) * static_cast<double>(l);
            outside = glm::distance(place, glm::vec2(half)) > 0.99f * half ? std::max(outside, l) : outside;
        }
        ASSERT_GT(weight, 0.0);
        EXPECT_LT(glm::length(centroid / weight - glm::dvec2(half)), 1.0);
        EXPECT_LT(outside, 4.0f);
    }
}

// The sky is one cube map: each border texel must look like its neighbour
// across the edge, and more so than like the neighbour face read back to front.
TEST(ImageAssets, SkyboxFacesMeetWithoutASeam)
{
    std::array<RgbImage, 6> faces;
    int f = 0;
    for (const char* name : {"right.jpg", "left.jpg", "top.jpg", "bottom.jpg", "back.jpg", "front.jpg"}) {
        faces[f] = decodeTexture(std::string("skybox/") + name);
        ASSERT_TRUE(!faces[f].rgb.empty() && faces[f].width == faces[0].width && faces[f].height == faces[0].width) << name;
        ++f;
    }
    const int n = faces[0].width;
    const float texel = 2.0f / static_cast<float>(n);
    double across = 0.0;
    double inward = 0.0;
    double mirrored = 0.0;
    // Along each border of every face: the face of axis i, its neighbour of axis j.
    for (int step = 0; step < 24 * n; ++step) {
        const int i = step / (8 * n);
        const int j = (i + 1 + step / (4 * n) % 2) % 3;
        const int k = 3 - i - j;
        const float si = step / (2 * n) % 2 == 0 ? -1.0f : 1.0f;
        const float sj = step / n % 2 == 0 ? -1.0f : 1.0f;
        const auto place = [i, j, k](float onI, float onJ, float onK) {
            glm::vec3 d;
            d[i] = onI;
            d[j] = onJ;
            d[k] = onK;
            return d;
        };
        const float along = (static_cast<float>(step % n) + 0.5f) * texel - 1.0f;
        const float edge = 1.0f - 0.5f * texel;
        const std::uint8_t* here = skyTexel(faces, place(si, sj * edge, along));
        across += difference(here, skyTexel(faces, place(si * edge, sj, along)));
        inward += difference(here, skyTexel(faces, place(si, sj * (edge - texel), along)));
        mirrored += difference(here, skyTexel(faces, place(si * edge, sj, -along)));
    }
    EXPECT_LE(across, 1.25 * inward + 0.5 * 24 * n) << "inward " << inward;
    EXPECT_GT(mirrored, 2.0 * across) << "a face turned the wrong way round would show";
}
