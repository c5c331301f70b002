#include "GeneratedAssets.h"

#include "helpers/TextureManager.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

using GeneratedAssets::RgbImage;

namespace {

// In the order the game uploads them: +X, -X, +Y, -Y, +Z, -Z.
const char* const kFaceFiles[] = {"right.jpg", "left.jpg", "top.jpg", "bottom.jpg", "back.jpg", "front.jpg"};

std::array<RgbImage, 6> loadFaces()
{
    std::array<RgbImage, 6> faces;
    for (int f = 0; f < 6; ++f) {
        faces[f] = GeneratedAssets::decodeRgb(GeneratedAssets::res(std::string("textures/skybox/") + kFaceFiles[f]));
    }
    return faces;
}

// The cube-map lookup of OpenGL: the major axis picks the face, and (sc, tc)
// from its table give s = (sc / |ma| + 1) / 2, t = (tc / |ma| + 1) / 2.
struct FaceCoordinate {
    int face;
    float s;
    float t;
};

FaceCoordinate lookup(const glm::vec3& d)
{
    const glm::vec3 a = glm::abs(d);
    float sc = 0.0f;
    float tc = 0.0f;
    float ma = 0.0f;
    int face = 0;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0 ? 0 : 1;
        sc = d.x > 0 ? -d.z : d.z;
        tc = -d.y;
        ma = a.x;
    } else if (a.y >= a.z) {
        face = d.y > 0 ? 2 : 3;
        sc = d.x;
        tc = d.y > 0 ? d.z : -d.z;
        ma = a.y;
    } else {
        face = d.z > 0 ? 4 : 5;
        sc = d.z > 0 ? d.x : -d.x;
        tc = -d.y;
        ma = a.z;
    }
    return {face, 0.5f * (sc / ma + 1.0f), 0.5f * (tc / ma + 1.0f)};
}

// The inverse for one face: the direction that lands on (s, t).
glm::vec3 direction(int face, float s, float t)
{
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    switch (face) {
    case 0: return {1.0f, -tc, -sc};
    case 1: return {-1.0f, -tc, sc};
    case 2: return {sc, 1.0f, tc};
    case 3: return {sc, -1.0f, -tc};
    case 4: return {sc, -tc, 1.0f};
    default: return {-sc, -tc, -1.0f};
    }
}

const std::uint8_t* texelAt(const std::array<RgbImage, 6>& faces, const FaceCoordinate& c)
{
    const RgbImage& image = faces[c.face];
    const int x = std::clamp(static_cast<int>(c.s * image.width), 0, image.width - 1);
    const int y = std::clamp(static_cast<int>(c.t * image.height), 0, image.height - 1);
    return image.at(x, y);
}

float channelDifference(const std::uint8_t* a, const std::uint8_t* b)
{
    return (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2])) / 3.0f;
}

struct EdgeStep {
    float across;    // mean difference between a border texel and its neighbour on the next face
    float inward;    // mean difference between a border texel and the texel next to it on its own face
    float mirrored;  // the same with the neighbouring face read back to front along the edge
};

FaceCoordinate mirroredAlongEdge(const FaceCoordinate& c)
{
    const bool sCrossesTheEdge = std::min(c.s, 1.0f - c.s) < std::min(c.t, 1.0f - c.t);
    return sCrossesTheEdge ? FaceCoordinate{c.face, c.s, 1.0f - c.t} : FaceCoordinate{c.face, 1.0f - c.s, c.t};
}

// Walks every border texel of every face, steps one texel outwards in the
// face's plane and follows that direction to whichever face it lands on.
EdgeStep measureEdges(const std::array<RgbImage, 6>& faces)
{
    const int n = faces[0].width;
    const float texel = 1.0f / static_cast<float>(n);
    double across = 0.0;
    double inward = 0.0;
    double mirrored = 0.0;
    int count = 0;
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < n; ++i) {
            const float along = (static_cast<float>(i) + 0.5f) * texel;
            const float border = 0.5f * texel;
            const struct {
                float s, t, outS, outT, inS, inT;
            } steps[] = {{along, border, along, -border, along, 3 * border},
                         {along, 1 - border, along, 1 + border, along, 1 - 3 * border},
                         {border, along, -border, along, 3 * border, along},
                         {1 - border, along, 1 + border, along, 1 - 3 * border, along}};
            for (const auto& step : steps) {
                const std::uint8_t* here = texelAt(faces, {f, step.s, step.t});
                const FaceCoordinate next = lookup(direction(f, step.outS, step.outT));
                EXPECT_NE(next.face, f);
                across += channelDifference(here, texelAt(faces, next));
                inward += channelDifference(here, texelAt(faces, {f, step.inS, step.inT}));
                mirrored += channelDifference(here, texelAt(faces, mirroredAlongEdge(next)));
                ++count;
            }
        }
    }
    return {static_cast<float>(across / count), static_cast<float>(inward / count),
            static_cast<float>(mirrored / count)};
}

}

TEST(SkyboxAssets, FacesAreSquaresOfOnePowerOfTwoSize)
{
    const std::array<RgbImage, 6> faces = loadFaces();
    for (int f = 0; f < 6; ++f) {
        ASSERT_TRUE(faces[f].valid()) << kFaceFiles[f];
        EXPECT_EQ(faces[f].width, faces[f].height) << kFaceFiles[f];
        EXPECT_EQ(faces[f].width, faces[0].width) << kFaceFiles[f];
    }
    EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(faces[0].width));
}

TEST(SkyboxAssets, NeighbouringFacesMeetWithoutASeam)
{
    const std::array<RgbImage, 6> faces = loadFaces();
    for (const RgbImage& face : faces) {
        ASSERT_TRUE(face.valid());
    }
    const EdgeStep step = measureEdges(faces);
    // Crossing an edge is no bigger a step than moving within a face ...
    EXPECT_LE(step.across, 1.25f * step.inward + 0.5f) << "inward " << step.inward;
    // ... and the sky has enough structure that a face turned the wrong way
    // round would show.
    EXPECT_GT(step.mirrored, 2.0f * step.across) << "across " << step.across;
}

TEST(SkyboxAssets, SkyIsDarkWithStarsAndColouredGas)
{
    const std::array<RgbImage, 6> faces = loadFaces();
    double luminance = 0.0;
    int starTexels = 0;
    int colouredTexels = 0;
    for (const RgbImage& face : faces) {
        ASSERT_TRUE(face.valid());
        for (int y = 0; y < face.height; ++y) {
            for (int x = 0; x < face.width; ++x) {
                const std::uint8_t* p = face.at(x, y);
                luminance += face.luminance(x, y);
                starTexels += face.luminance(x, y) > 150.0f ? 1 : 0;
                colouredTexels += std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 25 ? 1 : 0;
            }
        }
    }
    const double texels = 6.0 * faces[0].width * faces[0].height;
    EXPECT_LT(luminance / texels, 40.0);
    EXPECT_GT(starTexels, 1000);
    EXPECT_GT(colouredTexels / texels, 0.05);
}

TEST(SkyboxAssets, GameBuildsTheCubeMapFromTheSixFaces)
{
    OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir workDir;
    workDir.linkGameAssets();
    const GLuint cubemap = Orbivane::Helpers::loadCubemap("res\\textures\\skybox\\", "right.jpg", "left.jpg",
                                                          "top.jpg", "bottom.jpg", "back.jpg", "front.jpg");
    ASSERT_NE(cubemap, 0u);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_WIDTH, &width);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_EQ(width, loadFaces()[5].width);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
