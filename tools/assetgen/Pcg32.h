#pragma once

#include <cstdint>

namespace AssetGen {

// A small permuted congruential generator. The standard library's engines
// are portable, but its distributions are not; this one gives the same
// numbers on every machine, which keeps the generated files identical.
class Pcg32 {
public:
    explicit Pcg32(std::uint64_t seed);

    std::uint32_t nextUInt();
    // Uniform in [0, 1).
    float nextFloat();
    float range(float low, float high);
    // Uniform in [low, high], both inclusive.
    int rangeInt(int low, int high);

    // A well-mixed hash of a 3D integer cell, for patterns that must be a
    // function of position rather than of drawing order.
    static std::uint32_t hashCell(int x, int y, int z, std::uint32_t seed);
    static float toUnit(std::uint32_t bits);

private:
    std::uint64_t m_State;
};

}
