#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>

// Gradient and cell noise built on stb_perlin. Every function is a pure
// function of its arguments, so textures come out the same on every run.
namespace AssetGen::Noise {

// Roughly in [-1, 1]; the seed picks one of 256 variations.
float perlin(const glm::vec3& p, int seed);

// Sum of octaves, each twice the frequency of the last, normalised to [-1, 1].
float fbm(const glm::vec3& p, int octaves, float gain, int seed);

// Sharp crests where the noise crosses zero: veins, cracks, dust lanes. [0, 1].
float ridged(const glm::vec3& p, int octaves, int seed);

// Folded noise that looks like boiling gas. [0, 1].
float turbulence(const glm::vec3& p, int octaves, int seed);

// fbm over the unit square that repeats at whole uv units, for textures
// that must tile. `period` is the number of lattice cells per unit along u
// and v in the first octave; both must be powers of two. Unequal periods
// stretch the noise into streaks.
float tiledFbm(const glm::vec2& uv, const glm::ivec2& period, int octaves, float gain, int seed);

struct CellDistances {
    float nearest;
    float second;
    std::uint32_t id;
};

// Worley noise: distances to the nearest and second nearest feature point of
// a jittered 3D grid, and a stable id of the nearest one.
CellDistances cellular(const glm::vec3& p, std::uint32_t seed);

}
