#include "Generators.h"

#include "Image.h"
#include "Pcg32.h"

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/vec2.hpp>

#include <cmath>
#include <functional>
#include <vector>

namespace AssetGen {

namespace {

constexpr int kFlareSize = 256;

float smooth(float edge0, float edge1, float x)
{
    return glm::smoothstep(edge0, edge1, x);
}

// Every element fades to black well inside its square, so the quad that
// carries it never shows an edge.
float edgeFade(float r)
{
    return 1.0f - smooth(0.8f, 0.97f, r);
}

// Renders with 4 x 4 samples per pixel; `shape` takes a point in [-1, 1]^2
// with +y up.
Image renderFlare(const std::function<glm::vec3(const glm::vec2& p)>& shape)
{
    constexpr int kSamples = 4;
    Image image(kFlareSize, kFlareSize);
    for (int y = 0; y < kFlareSize; ++y) {
        for (int x = 0; x < kFlareSize; ++x) {
            glm::vec3 sum(0.0f);
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    const float px = (static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / kSamples) / kFlareSize;
                    const float py = (static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / kSamples) / kFlareSize;
                    sum += shape(glm::vec2(px * 2.0f - 1.0f, 1.0f - py * 2.0f));
                }
            }
            image.at(x, y) = sum / static_cast<float>(kSamples * kSamples);
        }
    }
    return image;
}

struct Ray {
    float angle;
    float width;
    float strength;
};

std::vector<Ray> starburstRays()
{
    Pcg32 rng(0xf1a4e0u);
    std::vector<Ray> rays;
    for (int i = 0; i < 36; ++i) {
        rays.push_back({rng.range(0.0f, glm::two_pi<float>()), rng.range(0.006f, 0.03f), rng.range(0.25f, 1.0f)});
    }
    return rays;
}

float angularGap(float a, float b)
{
    const float d = std::fabs(a - b);
    return std::min(d, glm::two_pi<float>() - d);
}

// A hot core in a wide soft glow with thin, uneven starburst rays.
glm::vec3 glow(const glm::vec2& p, const std::vector<Ray>& rays)
{
    const float r = glm::length(p);
    const float angle = std::atan2(p.y, p.x) + glm::pi<float>();
    float burst = 0.0f;
    for (const Ray& ray : rays) {
        const float gap = angularGap(angle, ray.angle) / ray.width;
        burst += ray.strength * std::exp(-gap * gap);
    }
    const float core = std::exp(-(r / 0.07f) * (r / 0.07f));
    const float inner = 0.55f * std::exp(-r / 0.11f);
    const float halo = 0.16f * std::exp(-(r / 0.5f) * (r / 0.5f));
    const float streaks = 0.35f * burst * std::exp(-r / 0.28f);
    const glm::vec3 warm(1.0f, 0.93f, 0.85f);
    return (glm::vec3(core + inner) + warm * (halo + streaks)) * edgeFade(r);
}

// A thin ring with a faint rainbow fringe and a hazy inside.
glm::vec3 ring(const glm::vec2& p)
{
    const float r = glm::length(p);
    const auto band = [r](float centre) {
        const float d = (r - centre) / 0.055f;
        return std::exp(-d * d);
    };
    const glm::vec3 fringe(band(0.712f), band(0.70f), band(0.688f));
    const float haze = 0.08f * (1.0f - smooth(0.3f, 0.7f, r));
    return (fringe * 0.95f + glm::vec3(haze)) * edgeFade(r);
}

// A soft disc, a little brighter towards its rim like an out-of-focus iris.
glm::vec3 disc(const glm::vec2& p)
{
    const float r = glm::length(p);
    const float body = 0.65f * (1.0f - smooth(0.5f, 0.64f, r));
    const float rim = 0.3f * std::exp(-((r - 0.57f) / 0.05f) * ((r - 0.57f) / 0.05f));
    const glm::vec3 tint = glm::mix(glm::vec3(1.0f, 0.97f, 0.9f), glm::vec3(0.85f, 0.95f, 1.0f), r);
    return tint * (body + rim) * edgeFade(r);
}

// The ghost of a six-bladed aperture: a hexagon with corners on the x axis.
glm::vec3 hexagon(const glm::vec2& p)
{
    constexpr float kCircumradius = 0.8f;
    const float inradius = kCircumradius * std::cos(glm::pi<float>() / 6.0f);
    float edge = 0.0f;
    for (int k = 0; k < 3; ++k) {
        const float normalAngle = glm::pi<float>() / 6.0f + static_cast<float>(k) * glm::pi<float>() / 3.0f;
        edge = std::max(edge, std::fabs(glm::dot(p, glm::vec2(std::cos(normalAngle), std::sin(normalAngle)))));
    }
    const float d = edge / inradius;
    const float body = 0.3f * (0.75f + 0.25f * d) * (1.0f - smooth(0.93f, 1.0f, d));
    const auto rim = [d](float centre) {
        const float x = (d - centre) / 0.035f;
        return 0.55f * std::exp(-x * x);
    };
    const glm::vec3 fringe(rim(0.975f), rim(0.962f), rim(0.948f));
    return (glm::vec3(body) * glm::vec3(0.9f, 0.95f, 1.0f) + fringe) * edgeFade(glm::length(p));
}

}

void writeFlares(const std::filesystem::path& flareDir)
{
    const std::vector<Ray> rays = starburstRays();
    renderFlare([&rays](const glm::vec2& p) { return glow(p, rays); }).writeBmp(flareDir / "flare0.bmp");
    renderFlare(ring).writeBmp(flareDir / "flare1.bmp");
    renderFlare(disc).writeBmp(flareDir / "flare2.bmp");
    renderFlare(hexagon).writeBmp(flareDir / "flare3.bmp");
}

}
