#include "Noise.h"

#include "Pcg32.h"

#include <stb_perlin.h>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>
#include <limits>

namespace AssetGen::Noise {

namespace {

// Successive octaves are shifted so that their lattice points do not line up,
// which would otherwise show as faint grid artefacts.
constexpr float kOctaveShift = 17.31f;

// Octaves of shaped noise, each twice the frequency of the last and `gain`
// times as strong, normalised by the total weight.
template <typename Shape>
float sumOctaves(const glm::vec3& p, int octaves, float gain, int seed, Shape shape)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    float frequency = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        const glm::vec3 q = p * frequency + glm::vec3(kOctaveShift * static_cast<float>(i));
        sum += amplitude * shape(stb_perlin_noise3_seed(q.x, q.y, q.z, 0, 0, 0, seed + i));
        total += amplitude;
        amplitude *= gain;
        frequency *= 2.0f;
    }
    return sum / total;
}

}

float perlin(const glm::vec3& p, int seed)
{
    return stb_perlin_noise3_seed(p.x, p.y, p.z, 0, 0, 0, seed);
}

float fbm(const glm::vec3& p, int octaves, float gain, int seed)
{
    return sumOctaves(p, octaves, gain, seed, [](float noise) { return noise; });
}

float ridged(const glm::vec3& p, int octaves, int seed)
{
    return sumOctaves(p, octaves, 0.5f, seed, [](float noise) {
        const float crest = 1.0f - std::fabs(noise);
        return crest * crest;
    });
}

float turbulence(const glm::vec3& p, int octaves, int seed)
{
    return sumOctaves(p, octaves, 0.5f, seed, [](float noise) { return std::fabs(noise); });
}

float tiledFbm(const glm::vec2& uv, const glm::ivec2& period, int octaves, float gain, int seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    glm::ivec2 frequency = period;
    for (int i = 0; i < octaves; ++i) {
        // stb_perlin repeats every 256 lattice cells whatever the wrap asks.
        const glm::ivec2 wrap = glm::min(frequency, glm::ivec2(256));
        const glm::vec2 q = uv * glm::vec2(wrap);
        // The third coordinate only selects a different slice per octave.
        const float slice = 0.5f + kOctaveShift * static_cast<float>(i);
        sum += amplitude * stb_perlin_noise3_seed(q.x, q.y, slice, wrap.x, wrap.y, 0, seed + i);
        total += amplitude;
        amplitude *= gain;
        frequency *= 2;
    }
    return sum / total;
}

CellDistances cellular(const glm::vec3& p, std::uint32_t seed)
{
    const glm::vec3 base = glm::floor(p);
    CellDistances result{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), 0};
    for (int dz = -1; dz <= 1; ++dz) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int cx = static_cast<int>(base.x) + dx;
                const int cy = static_cast<int>(base.y) + dy;
                const int cz = static_cast<int>(base.z) + dz;
                const std::uint32_t h = Pcg32::hashCell(cx, cy, cz, seed);
                const glm::vec3 jitter(Pcg32::toUnit(h), Pcg32::toUnit(h * 747796405u + 2891336453u),
                                       Pcg32::toUnit(h * 2654435761u + 40503u));
                const glm::vec3 feature = glm::vec3(cx, cy, cz) + jitter;
                const float d = glm::distance(p, feature);
                if (d < result.nearest) {
                    result.second = result.nearest;
                    result.nearest = d;
                    result.id = h;
                } else if (d < result.second) {
                    result.second = d;
                }
            }
        }
    }
    return result;
}

}
