#include "SkyModel.h"

#include "Noise.h"
#include "Pcg32.h"

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace AssetGen {

namespace {

// Gas varies slowly, so it is computed on a grid of half the resolution and
// interpolated; stars are drawn at full resolution on top.
constexpr int kGasStep = 2;

float smooth(float edge0, float edge1, float x)
{
    return glm::smoothstep(edge0, edge1, x);
}

glm::vec3 starColour(float roll)
{
    // Mostly white and pale yellow, some blue giants and a few red dwarfs.
    if (roll < 0.12f) {
        return {0.70f, 0.80f, 1.0f};
    }
    if (roll < 0.45f) {
        return {0.92f, 0.95f, 1.0f};
    }
    if (roll < 0.78f) {
        return {1.0f, 0.95f, 0.82f};
    }
    if (roll < 0.93f) {
        return {1.0f, 0.82f, 0.60f};
    }
    return {1.0f, 0.66f, 0.52f};
}

glm::vec3 randomDirection(Pcg32& rng)
{
    for (;;) {
        // One draw per statement: argument order is up to the compiler, and
        // the stored sky was made with z drawn first, then y, then x.
        const float z = rng.range(-1.0f, 1.0f);
        const float y = rng.range(-1.0f, 1.0f);
        const float x = rng.range(-1.0f, 1.0f);
        const glm::vec3 p(x, y, z);
        const float lengthSquared = glm::dot(p, p);
        if (lengthSquared > 0.01f && lengthSquared <= 1.0f) {
            return p / std::sqrt(lengthSquared);
        }
    }
}

glm::vec3 directionOf(CubeMapFace face, float s, float t)
{
    return glm::normalize(cubeMapDirection(face, s, t));
}

}

SkyModel::SkyModel(int faceSize)
    : m_FaceSize(faceSize),
      m_BandNormal(glm::normalize(glm::vec3(0.28f, 0.86f, 0.42f))),
      m_NebulaCentre(glm::normalize(glm::vec3(-0.55f, 0.32f, -0.77f))),
      m_CoreDirection(glm::normalize(glm::vec3(0.82f, -0.18f, -0.35f)))
{
    scatterStars();
}

float SkyModel::texelAngle(const glm::vec3& d) const
{
    // Texels shrink in angle towards the corners of a face: by the square of
    // the largest direction component along one side and by its first power
    // along the other.
    const float major = std::max(std::fabs(d.x), std::max(std::fabs(d.y), std::fabs(d.z)));
    return 2.0f / static_cast<float>(m_FaceSize) * std::pow(major, 1.5f);
}

float SkyModel::bandWeight(const glm::vec3& d) const
{
    const float latitude = glm::dot(d, m_BandNormal) + 0.12f * Noise::fbm(d * 2.0f, 4, 0.5f, 71);
    return std::exp(-(latitude / 0.2f) * (latitude / 0.2f));
}

void SkyModel::scatterStars()
{
    addStarLayer(36000, 0.07f, 0.45f, 0.55f, 0.0f);
    addStarLayer(6000, 0.35f, 1.1f, 0.65f, 0.0f);
    addStarLayer(600, 0.9f, 2.2f, 0.8f, 0.5f);
}

void SkyModel::addStarLayer(int count, float faintest, float brightest, float sharpness, float spikeShare)
{
    Pcg32 rng(0x57a25u + m_Stars.size());
    int placed = 0;
    while (placed < count) {
        const glm::vec3 direction = randomDirection(rng);
        // Stars crowd towards the band of the galaxy.
        const float latitude = glm::dot(direction, m_BandNormal) / 0.25f;
        const float keep = (0.4f + std::exp(-latitude * latitude)) / 1.4f;
        const float magnitude = std::pow(rng.nextFloat(), 3.0f);
        const float colourRoll = rng.nextFloat();
        if (rng.nextFloat() > keep) {
            continue;
        }
        const float spikes = magnitude > 1.0f - spikeShare ? magnitude : 0.0f;
        m_Stars.push_back({direction, starColour(colourRoll), faintest + (brightest - faintest) * magnitude,
                           texelAngle(direction) * sharpness, spikes});
        ++placed;
    }
}

glm::vec3 SkyModel::gas(const glm::vec3& d) const
{
    const glm::vec3 background(0.006f, 0.008f, 0.020f);
    const glm::vec3 deepBlue(0.05f, 0.08f, 0.22f);
    const glm::vec3 violet(0.24f, 0.09f, 0.32f);
    const glm::vec3 rose(0.55f, 0.14f, 0.32f);
    const glm::vec3 teal(0.06f, 0.30f, 0.36f);
    const glm::vec3 warmCore(0.62f, 0.46f, 0.32f);

    const float band = bandWeight(d);
    const glm::vec3 warp(Noise::fbm(d * 1.7f, 3, 0.5f, 73), Noise::fbm(d * 1.7f + 5.0f, 3, 0.5f, 74), 0.0f);
    const float clouds = smooth(-0.25f, 0.65f, Noise::fbm(d * 2.6f + warp, 6, 0.55f, 75));
    const float wisps = smooth(0.1f, 0.75f, Noise::fbm(d * 5.0f - warp * 2.0f, 5, 0.5f, 76));
    const float tint = 0.5f + 0.5f * Noise::fbm(d * 1.3f + 9.0f, 3, 0.5f, 77);

    glm::vec3 colour = background + deepBlue * (0.25f * clouds + 0.35f * band);
    colour += glm::mix(violet, teal, tint) * (0.55f * band * clouds);
    colour += rose * (0.35f * band * wisps * clouds);
    const float core = std::exp(-glm::distance(d, m_CoreDirection) * 2.2f) * band;
    colour += warmCore * (0.5f * core * (0.4f + 0.6f * clouds));
    // Unresolved stars make the band glow faintly on its own.
    colour += glm::vec3(0.55f, 0.55f, 0.6f) * (0.1f * band * (0.6f + 0.4f * wisps));

    const float dust = std::pow(Noise::ridged(d * 3.2f + warp, 5, 79), 3.0f);
    colour *= 1.0f - 0.75f * dust * smooth(0.15f, 0.8f, band);

    // A separate emission nebula, brightest in its turbulent heart.
    const float fromNebula = glm::distance(d, m_NebulaCentre);
    const float nebulaShape = std::exp(-(fromNebula / 0.42f) * (fromNebula / 0.42f));
    const float filaments = Noise::turbulence(d * 6.0f + warp, 5, 81);
    const float glow = nebulaShape * smooth(0.05f, 0.45f, filaments + 0.25f * clouds);
    colour += glm::mix(rose, teal, smooth(0.15f, 0.45f, fromNebula + 0.15f * filaments)) * (0.75f * glow);
    colour += glm::vec3(0.9f, 0.75f, 0.8f) * (0.25f * nebulaShape * nebulaShape * std::pow(filaments, 2.0f));
    return colour * 1.35f;
}

Image SkyModel::gasFace(CubeMapFace face) const
{
    // The coarse grid includes the face's edges and corners, which are the
    // same directions on both faces that meet there.
    const int cells = m_FaceSize / kGasStep;
    Image coarse(cells + 1, cells + 1);
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            const float s = static_cast<float>(i) / static_cast<float>(cells);
            const float t = static_cast<float>(j) / static_cast<float>(cells);
            coarse.at(i, j) = gas(directionOf(face, s, t));
        }
    }
    Image fine(m_FaceSize, m_FaceSize);
    fine.fill([&](float s, float t) {
        const float x = s * static_cast<float>(cells);
        const float y = t * static_cast<float>(cells);
        const int x0 = std::min(static_cast<int>(x), cells - 1);
        const int y0 = std::min(static_cast<int>(y), cells - 1);
        const float fx = x - static_cast<float>(x0);
        const float fy = y - static_cast<float>(y0);
        const glm::vec3 top = glm::mix(coarse.at(x0, y0), coarse.at(x0 + 1, y0), fx);
        const glm::vec3 bottom = glm::mix(coarse.at(x0, y0 + 1), coarse.at(x0 + 1, y0 + 1), fx);
        return glm::mix(top, bottom, fy);
    });
    return fine;
}

glm::vec3 SkyModel::starLight(const Star& star, const glm::vec3& d) const
{
    const glm::vec3 offset = d - star.direction;
    const float distance = glm::length(offset) / star.footprint;
    float shape = std::exp(-distance * distance) + 0.05f * std::exp(-distance * 0.9f);
    if (star.spikes > 0.0f) {
        const glm::vec3 up = std::fabs(star.direction.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(1, 0, 0);
        const glm::vec3 east = glm::normalize(glm::cross(up, star.direction));
        const glm::vec3 north = glm::cross(star.direction, east);
        const float x = std::fabs(glm::dot(offset, east)) / star.footprint;
        const float y = std::fabs(glm::dot(offset, north)) / star.footprint;
        const float spikes = std::exp(-x * 0.35f - y * y * 1.5f) + std::exp(-y * 0.35f - x * x * 1.5f);
        shape += 0.35f * star.spikes * spikes * (1.0f - smooth(12.0f, 20.0f, distance));
    }
    return star.colour * (star.brightness * shape);
}

void SkyModel::paintStars(Image& image, CubeMapFace face) const
{
    const float size = static_cast<float>(m_FaceSize);
    for (const Star& star : m_Stars) {
        float s = 0.0f;
        float t = 0.0f;
        if (!cubeMapCoordinates(face, star.direction, s, t)) {
            continue;
        }
        // Reach in texels; a star just beyond the edge still lights the
        // texels along it, exactly as it does on its own face.
        const int reach = star.spikes > 0.0f ? 26 : 6;
        const int cx = static_cast<int>(std::floor(s * size));
        const int cy = static_cast<int>(std::floor(t * size));
        const int x0 = std::max(cx - reach, 0);
        const int x1 = std::min(cx + reach, m_FaceSize - 1);
        const int y0 = std::max(cy - reach, 0);
        const int y1 = std::min(cy + reach, m_FaceSize - 1);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const glm::vec3 d = directionOf(face, (static_cast<float>(x) + 0.5f) / size, (static_cast<float>(y) + 0.5f) / size);
                image.at(x, y) += starLight(star, d);
            }
        }
    }
}

Image SkyModel::renderFace(CubeMapFace face) const
{
    Image image = gasFace(face);
    paintStars(image, face);
    return image;
}

}
