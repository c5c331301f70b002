#include "Pcg32.h"

namespace AssetGen {

namespace {

constexpr std::uint64_t kMultiplier = 6364136223846793005ull;
constexpr std::uint64_t kIncrement = 1442695040888963407ull;

std::uint32_t mix(std::uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

}

Pcg32::Pcg32(std::uint64_t seed) : m_State(0)
{
    nextUInt();
    m_State += seed;
    nextUInt();
}

std::uint32_t Pcg32::nextUInt()
{
    const std::uint64_t old = m_State;
    m_State = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rotation = static_cast<std::uint32_t>(old >> 59u);
    return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

float Pcg32::nextFloat()
{
    return toUnit(nextUInt());
}

float Pcg32::range(float low, float high)
{
    return low + (high - low) * nextFloat();
}

int Pcg32::rangeInt(int low, int high)
{
    const auto span = static_cast<std::uint32_t>(high - low + 1);
    return low + static_cast<int>(nextUInt() % span);
}

std::uint32_t Pcg32::hashCell(int x, int y, int z, std::uint32_t seed)
{
    std::uint32_t h = mix(seed ^ 0x9e3779b9u);
    h = mix(h ^ static_cast<std::uint32_t>(x));
    h = mix(h ^ static_cast<std::uint32_t>(y) * 0x85ebca6bu);
    h = mix(h ^ static_cast<std::uint32_t>(z) * 0xc2b2ae35u);
    return h;
}

float Pcg32::toUnit(std::uint32_t bits)
{
    return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
}

}
