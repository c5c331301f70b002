#include "Generators.h"

#include "AsteroidShape.h"
#include "BodyTextures.h"
#include "Image.h"
#include "Pcg32.h"

#include <stb_image_write.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace AssetGen {

namespace {

constexpr int kIconSize = 256;
// Drawn at three times the size and averaged down, so the rock's outline is smooth.
constexpr int kSupersample = 3;
constexpr int kCanvas = kIconSize * kSupersample;
constexpr float kRockCrease = 65.0f;
// The backdrop: a disc of night sky with the sun low in its upper right; the
// rock stands in front, lit from the sun's side, and breaks out of the disc.
constexpr float kSkyRadius = 0.46f;
const glm::vec2 kSunCentre(0.66f, 0.32f);
constexpr float kSunRadius = 0.09f;
const glm::vec3 kSunColour(1.0f, 0.62f, 0.26f);
const glm::vec3 kToSun = glm::normalize(glm::vec3(0.8f, 0.55f, 0.2f));
const glm::vec3 kFill(0.16f, 0.18f, 0.3f);
constexpr int kStarCount = 70;
constexpr std::uint64_t kStarSeed = 0x1C0Eull;

// Colour premultiplied by coverage, so averaging keeps the edges clean.
struct Layer {
    Image colour{kCanvas, kCanvas};
    Image alpha{kCanvas, kCanvas};
};

void paintSky(Layer& layer)
{
    for (int y = 0; y < kCanvas; ++y) {
        for (int x = 0; x < kCanvas; ++x) {
            const glm::vec2 at = (glm::vec2(x, y) + 0.5f) / static_cast<float>(kCanvas);
            const float fromSun = glm::length(at - kSunCentre);
            const float disc = 1.0f - glm::smoothstep(kSkyRadius - 0.004f, kSkyRadius, glm::length(at - 0.5f));
            const float core = 1.0f - glm::smoothstep(kSunRadius - 0.01f, kSunRadius, fromSun);
            const glm::vec3 glow = kSunColour * std::exp(-(fromSun - kSunRadius) * 9.0f) * 1.2f;
            const glm::vec3 night = glm::mix(glm::vec3(0.02f, 0.025f, 0.07f), glm::vec3(0.07f, 0.05f, 0.16f), at.y);
            const glm::vec3 sky = glm::mix(night + glow, glm::vec3(1.0f, 0.95f, 0.82f), core);
            layer.colour.at(x, y) = glm::min(sky, glm::vec3(1.0f)) * disc;
            layer.alpha.at(x, y) = glm::vec3(disc);
        }
    }
    Pcg32 random(kStarSeed);
    for (int i = 0; i < kStarCount; ++i) {
        const int x = random.rangeInt(0, kCanvas - 2);
        const int y = random.rangeInt(0, kCanvas - 2);
        const float brightness = random.range(0.3f, 0.9f) * layer.alpha.at(x, y).x;
        for (const auto& [dx, dy] : {std::pair(0, 0), std::pair(1, 0), std::pair(0, 1), std::pair(1, 1)}) {
            layer.colour.at(x + dx, y + dy) += glm::vec3(brightness);
        }
    }
}

glm::vec3 sample(const Image& texture, const glm::vec2& uv)
{
    const glm::vec2 wrapped = glm::fract(uv);
    return texture.at(std::min(static_cast<int>(wrapped.x * texture.width()), texture.width() - 1),
                      std::min(static_cast<int>(wrapped.y * texture.height()), texture.height() - 1));
}

glm::vec3 shadeRock(const glm::vec3& albedo, const glm::vec3& normal)
{
    const float sunLight = std::max(0.0f, glm::dot(normal, kToSun));
    // Facing the viewer is +z; the rim where the surface turns away catches the glow.
    const float rim = std::pow(1.0f - std::max(0.0f, normal.z), 3.0f) * std::max(0.0f, glm::dot(normal, kToSun));
    return albedo * (kFill + 2.2f * sunLight * glm::mix(kSunColour, glm::vec3(1.0f), 0.5f)) + 0.5f * rim * kSunColour;
}

struct ScreenCorner {
    glm::vec3 position; // canvas pixels, larger z nearer the viewer
    glm::vec3 normal;
    glm::vec2 uv;
};

float edge(const glm::vec3& a, const glm::vec3& b, float x, float y)
{
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
}

void fillTriangle(const std::array<ScreenCorner, 3>& c, const Image& texture, std::vector<float>& depth, Layer& layer)
{
    const float area = edge(c[0].position, c[1].position, c[2].position.x, c[2].position.y);
    // Triangles counter-clockwise seen from outside turn clockwise once y
    // points down the canvas; the others face away.
    if (area >= 0.0f) {
        return;
    }
    const auto [minX, maxX] = std::minmax({c[0].position.x, c[1].position.x, c[2].position.x});
    const auto [minY, maxY] = std::minmax({c[0].position.y, c[1].position.y, c[2].position.y});
    for (int y = std::max(0, static_cast<int>(minY)); y <= std::min(kCanvas - 1, static_cast<int>(maxY)); ++y) {
        for (int x = std::max(0, static_cast<int>(minX)); x <= std::min(kCanvas - 1, static_cast<int>(maxX)); ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const glm::vec3 w = glm::vec3(edge(c[1].position, c[2].position, px, py),
                                          edge(c[2].position, c[0].position, px, py),
                                          edge(c[0].position, c[1].position, px, py)) / area;
            const float z = w.x * c[0].position.z + w.y * c[1].position.z + w.z * c[2].position.z;
            float& nearest = depth[static_cast<std::size_t>(y) * kCanvas + x];
            if (w.x < 0.0f || w.y < 0.0f || w.z < 0.0f || z <= nearest) {
                continue;
            }
            nearest = z;
            const glm::vec2 uv = w.x * c[0].uv + w.y * c[1].uv + w.z * c[2].uv;
            const glm::vec3 normal = glm::normalize(w.x * c[0].normal + w.y * c[1].normal + w.z * c[2].normal);
            layer.colour.at(x, y) = shadeRock(sample(texture, uv), normal);
            layer.alpha.at(x, y) = glm::vec3(1.0f);
        }
    }
}

// A small z-buffered rasteriser: orthographic, the transform maps the mesh
// into [-1, 1] across the canvas.
void drawMesh(const MeshBuilder& mesh, const glm::mat4& transform, const Image& texture, Layer& layer)
{
    const std::vector<glm::vec3> normals = mesh.cornerNormals(kRockCrease);
    std::vector<float> depth(static_cast<std::size_t>(kCanvas) * kCanvas, -std::numeric_limits<float>::infinity());
    const glm::mat3 rotation(transform);
    std::size_t corner = 0;
    for (const MeshBuilder::Triangle& triangle : mesh.triangles()) {
        std::array<ScreenCorner, 3> screen;
        for (int k = 0; k < 3; ++k, ++corner) {
            const glm::vec4 p = transform * glm::vec4(mesh.positions()[triangle[k].position], 1.0f);
            screen[k] = {glm::vec3((p.x * 0.5f + 0.5f) * kCanvas, (0.5f - p.y * 0.5f) * kCanvas, p.z),
                         rotation * normals[corner], triangle[k].uv};
        }
        fillTriangle(screen, texture, depth, layer);
    }
}

void writeRgbaPng(const Image& colour, const Image& alpha, const std::filesystem::path& file)
{
    std::vector<unsigned char> bytes;
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const float a = std::clamp(alpha.at(x, y).x, 0.0f, 1.0f);
            const glm::vec3 straight = a > 0.0f ? colour.at(x, y) / a : glm::vec3(0.0f);
            for (const float channel : {straight.r, straight.g, straight.b, a}) {
                bytes.push_back(static_cast<unsigned char>(std::clamp(channel, 0.0f, 1.0f) * 255.0f + 0.5f));
            }
        }
    }
    if (stbi_write_png(file.c_str(), colour.width(), colour.height(), 4, bytes.data(), colour.width() * 4) == 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}

void writeIcon(const std::filesystem::path& iconFile)
{
    Layer layer;
    paintSky(layer);
    const glm::mat4 pose = glm::rotate(glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(-0.16f, -0.18f, 0.0f)),
                                                   0.5f, glm::vec3(1.0f, 0.0f, 0.0f)),
                                       0.8f, glm::vec3(0.0f, 1.0f, 0.0f));
    drawMesh(AsteroidShape::build(), glm::scale(pose, glm::vec3(0.118f)), paintAsteroid(), layer);
    writeRgbaPng(layer.colour.downsampled(kSupersample), layer.alpha.downsampled(kSupersample), iconFile);
}

}
