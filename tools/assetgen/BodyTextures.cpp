#include "BodyTextures.h"

#include "Noise.h"
#include "Pcg32.h"

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace AssetGen {

namespace {

constexpr int kAsteroidSize = 512;

struct Crater {
    glm::vec2 centre;
    float radius;
    bool fresh; // young craters keep bright ejecta
};

float smooth(float edge0, float edge1, float x)
{
    return glm::smoothstep(edge0, edge1, x);
}

// Small pits only: every face of the rock shows the whole texture, so a big
// landmark would be seen six times. The large craters are in the mesh.
std::vector<Crater> scatterCraters()
{
    Pcg32 rng(0xa57e401du);
    std::vector<Crater> craters;
    for (int i = 0; i < 60; ++i) {
        const float size = rng.nextFloat();
        // One draw per statement keeps the order fixed whatever the compiler;
        // the stored textures were made with y drawn before x.
        const float y = rng.nextFloat();
        const float x = rng.nextFloat();
        const glm::vec2 centre(x, y);
        craters.push_back({centre, 0.01f + 0.04f * size * size * size, rng.nextFloat() < 0.3f});
    }
    return craters;
}

// Rock colour with its pits, rims and cracks, shaded without a light
// direction: the texture is seen in six orientations on the rock, so only
// cavities darken and crests brighten.
glm::vec3 rockAt(const glm::vec2& uv, const std::vector<Crater>& craters)
{
    const glm::vec3 p(uv * 6.0f, 0.5f);
    const glm::vec3 dark(0.24f, 0.22f, 0.20f);
    const glm::vec3 light(0.52f, 0.49f, 0.45f);
    const glm::vec3 rust(0.47f, 0.32f, 0.22f);
    const glm::vec3 slate(0.31f, 0.33f, 0.36f);
    glm::vec3 albedo = glm::mix(dark, light, smooth(-0.55f, 0.6f, Noise::fbm(p, 6, 0.55f, 13)));
    albedo = glm::mix(albedo, rust, 0.65f * smooth(0.05f, 0.4f, Noise::fbm(p * 0.8f + 5.0f, 5, 0.5f, 17)));
    albedo = glm::mix(albedo, slate, 0.55f * smooth(0.1f, 0.45f, Noise::fbm(p * 0.7f - 9.0f, 4, 0.5f, 19)));

    // Fractured plates of rock split by dark crevices, each a little lighter
    // or darker than its neighbours; warped so the plates are not polygons.
    const glm::vec3 warp(Noise::fbm(p * 1.5f, 3, 0.5f, 25), Noise::fbm(p * 1.5f + 7.0f, 3, 0.5f, 26), 0.0f);
    const Noise::CellDistances plates = Noise::cellular(p * 3.0f + warp * 1.2f, 29u);
    const float crevice = 1.0f - smooth(0.0f, 0.1f, plates.second - plates.nearest);
    const float fractured = smooth(-0.1f, 0.3f, Noise::fbm(p * 0.9f + 2.0f, 3, 0.5f, 27));
    float shade = (1.0f - 0.3f * crevice * fractured) * (0.93f + 0.14f * Pcg32::toUnit(plates.id));
    for (const Crater& crater : craters) {
        const float x = glm::distance(uv, crater.centre) / crater.radius;
        if (x > 2.2f) {
            continue;
        }
        const float bowl = 1.0f - smooth(0.6f, 1.0f, x);
        const float rim = std::exp(-((x - 1.05f) / 0.18f) * ((x - 1.05f) / 0.18f));
        shade *= 1.0f - 0.22f * bowl;
        shade *= 1.0f + 0.14f * rim;
        if (crater.fresh) {
            shade *= 1.0f + 0.18f * (1.0f - smooth(1.0f, 2.2f, x)) * smooth(0.9f, 1.1f, x);
        }
    }
    const float cracks = std::pow(Noise::ridged(p * 1.6f + 3.0f, 4, 7), 10.0f);
    shade *= 1.0f - 0.45f * cracks;
    const float grain = Noise::fbm(p * 24.0f, 3, 0.5f, 9);
    const float flecks = smooth(0.45f, 0.6f, Noise::perlin(p * 70.0f, 21));
    return albedo * shade * (1.0f + 0.14f * grain) + glm::vec3(0.07f) * flecks;
}

glm::vec3 sunPalette(float t)
{
    const glm::vec3 stops[] = {{1.0f, 0.66f, 0.26f}, {1.0f, 0.83f, 0.48f}, {1.0f, 0.94f, 0.76f}, {1.0f, 1.0f, 0.96f}};
    const float scaled = glm::clamp(t, 0.0f, 1.0f) * 3.0f;
    const int i = std::min(static_cast<int>(scaled), 2);
    return glm::mix(stops[i], stops[i + 1], scaled - static_cast<float>(i));
}

glm::vec3 shadeSun(const glm::vec3& p)
{
    // Warping the domain by noise makes the plasma look as if it flowed.
    const glm::vec3 warp(Noise::fbm(p * 1.5f, 4, 0.5f, 31), Noise::fbm(p * 1.5f + 11.0f, 4, 0.5f, 32),
                         Noise::fbm(p * 1.5f - 7.0f, 4, 0.5f, 33));
    const glm::vec3 q = p * 3.0f + warp * 2.2f;
    const float turbulence = Noise::turbulence(q, 6, 35);
    const Noise::CellDistances cells = Noise::cellular(p * 34.0f + warp * 3.0f, 37);
    const float granule = smooth(0.0f, 0.45f, cells.second - cells.nearest);
    const float filaments = std::pow(Noise::ridged(q * 1.7f, 4, 39), 4.0f);
    const float lanes = smooth(0.05f, 0.35f, turbulence);
    const float heat = 0.84f + 0.2f * granule - 0.55f * lanes + 0.3f * filaments;
    return sunPalette(heat);
}

glm::vec3 shadeBlackHole(const glm::vec3& p)
{
    const float latitude = std::asin(glm::clamp(p.y, -1.0f, 1.0f));
    const float longitude = std::atan2(p.z, p.x);
    // Shearing longitude by latitude winds the streaks into spirals; sampling
    // on a circle keeps the pattern continuous where longitude wraps. The
    // same rows also wrap the accretion disc from its inner to its outer
    // edge, where the shear turns into spiral arms.
    const float swirl = longitude + 7.0f * latitude;
    const glm::vec3 streakSpace(std::cos(swirl) * 3.0f, std::sin(swirl) * 3.0f, latitude * 12.0f);
    const float streaks = smooth(-0.15f, 0.65f, Noise::fbm(streakSpace, 5, 0.55f, 41));
    const float fine = 0.5f + 0.5f * Noise::fbm(streakSpace * 3.0f, 3, 0.5f, 42);
    // Dark at both poles (and at both edges of the disc), glowing between.
    const float band = std::pow(std::cos(latitude), 2.0f);
    const float ring = std::exp(-(latitude / 0.04f) * (latitude / 0.04f));
    const float mottling = 0.5f + 0.5f * Noise::fbm(p * 5.0f, 4, 0.5f, 43);
    const glm::vec3 body(0.012f, 0.008f, 0.02f);
    const glm::vec3 violet(0.42f, 0.16f, 0.62f);
    const glm::vec3 blue(0.12f, 0.22f, 0.58f);
    const glm::vec3 glow = glm::mix(blue, violet, mottling) * (0.8f * streaks * (0.6f + 0.4f * fine) * band);
    return body + glow + glm::vec3(0.75f, 0.55f, 0.85f) * (0.3f * ring * (0.4f + 0.6f * streaks));
}

}

Image paintAsteroid()
{
    const std::vector<Crater> craters = scatterCraters();
    Image rock(kAsteroidSize, kAsteroidSize);
    rock.fill([&craters](float u, float v) {
        // Near the border the texture is folded onto itself so that all four
        // edges carry the same mirror-symmetric strip: wherever two faces of
        // the rock meet, in whatever orientation, the pattern runs on.
        const float a = std::min(u, 1.0f - u);
        const float b = std::min(v, 1.0f - v);
        const glm::vec2 folded(std::max(a, b), std::min(a, b));
        const float inside = smooth(0.0f, 0.09f, std::min(a, b));
        return glm::mix(rockAt(folded, craters), rockAt({u, v}, craters), inside);
    });
    return rock;
}

Image paintSun()
{
    Image sun(512, 256);
    sun.fillSphere(shadeSun);
    return sun;
}

Image paintBlackHole()
{
    Image hole(512, 256);
    hole.fillSphere(shadeBlackHole);
    return hole;
}

}
