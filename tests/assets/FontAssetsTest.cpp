#include "GeneratedAssets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kHeaderStart = 4;
constexpr std::size_t kDataStart = 128;

std::vector<std::uint8_t> fontFile()
{
    return GeneratedAssets::readBytes(GeneratedAssets::res("fonts/test.dds"));
}

std::uint32_t headerField(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    const std::uint8_t* p = &bytes.at(kHeaderStart + offset);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t levelBytes(std::uint32_t size)
{
    return ((size + 3) / 4) * ((size + 3) / 4) * 16;
}

// The alpha of the largest level, decoded from its DXT5 blocks (eight bytes
// of interpolated alpha, then eight of colour), row by row from the top.
std::vector<std::uint8_t> alphaOfLevelZero(const std::vector<std::uint8_t>& bytes, int size)
{
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(size) * size);
    for (int block = 0; block < (size / 4) * (size / 4); ++block) {
        const std::uint8_t* b = &bytes.at(kDataStart + static_cast<std::size_t>(block) * 16);
        int palette[8] = {b[0], b[1]};
        for (int k = 1; k < 7; ++k) {
            palette[k + 1] = b[0] > b[1] ? ((7 - k) * b[0] + k * b[1]) / 7
                                         : (k < 5 ? ((5 - k) * b[0] + k * b[1]) / 5 : (k == 5 ? 0 : 255));
        }
        std::uint64_t indices = 0;
        for (int i = 7; i >= 2; --i) {
            indices = (indices << 8) | b[i];
        }
        for (int texel = 0; texel < 16; ++texel) {
            const int x = (block % (size / 4)) * 4 + texel % 4;
            const int y = (block / (size / 4)) * 4 + texel / 4;
            alpha[static_cast<std::size_t>(y) * size + x] = static_cast<std::uint8_t>(palette[(indices >> (3 * texel)) & 7]);
        }
    }
    return alpha;
}

}

TEST(FontAssets, PrintableCharactersHaveInkInTheirOwnCellsOnly)
{
    const std::vector<std::uint8_t> bytes = fontFile();
    ASSERT_GE(bytes.size(), kDataStart);
    const int size = static_cast<int>(headerField(bytes, 12));
    ASSERT_GE(bytes.size(), kDataStart + levelBytes(static_cast<std::uint32_t>(size)));
    const std::vector<std::uint8_t> alpha = alphaOfLevelZero(bytes, size);
    const int cell = size / 16;
    for (int code = 0; code < 128; ++code) {
        int inked = 0;
        int maximum = 0;
        int border = 0;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const int a = alpha[static_cast<std::size_t>((code / 16) * cell + y) * size + (code % 16) * cell + x];
                inked += a > 128 ? 1 : 0;
                maximum = std::max(maximum, a);
                border = x == 0 || y == 0 || x == cell - 1 || y == cell - 1 ? std::max(border, a) : border;
            }
        }
        if (code > 32 && code < 127) {
            EXPECT_GE(maximum, 230) << "character " << code;
            EXPECT_GE(inked, 8) << "character " << code;
            EXPECT_EQ(border, 0) << "character " << code;
        } else if (code == 0 || code == 9 || code == 10 || code == 32 || code == 127) {
            EXPECT_EQ(maximum, 0) << "character " << code;
        }
    }
}
