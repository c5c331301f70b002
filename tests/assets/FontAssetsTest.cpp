#include "GeneratedAssets.h"

#include "support/GLTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderStart = 4;
constexpr std::size_t kDataStart = 128;

struct DdsHeader {
    std::uint32_t size, flags, height, width, linearSize, mipmapCount;
    std::uint32_t formatSize, formatFlags, fourCC, caps;
};

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

DdsHeader parse(const std::vector<std::uint8_t>& bytes)
{
    const auto field = [&bytes](std::size_t offset) { return read32(bytes, kHeaderStart + offset); };
    return {field(0), field(4), field(8), field(12), field(16), field(24), field(72), field(76), field(80), field(104)};
}

std::vector<std::uint8_t> fontFile()
{
    return GeneratedAssets::readBytes(GeneratedAssets::res("fonts/test.dds"));
}

std::uint32_t levelBytes(std::uint32_t width, std::uint32_t height)
{
    return ((width + 3) / 4) * ((height + 3) / 4) * 16;
}

// Uploads the font the way the game does and returns the texture.
GLuint uploadFont(const std::vector<std::uint8_t>& bytes)
{
    const DdsHeader header = parse(bytes);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::uint32_t width = header.width;
    std::uint32_t height = header.height;
    std::size_t offset = kDataStart;
    for (std::uint32_t level = 0; level < header.mipmapCount; ++level) {
        const std::uint32_t size = levelBytes(width, height);
        if (offset + size > bytes.size()) {
            ADD_FAILURE() << "level " << level << " lies beyond the end of the file";
            break;
        }
        glCompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_COMPRESSED_RGBA_S3TC_DXT5_EXT,
                               static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                               static_cast<GLsizei>(size), bytes.data() + offset);
        offset += size;
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    return texture;
}

struct Level {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint8_t alpha(int x, int y) const { return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]; }
};

Level readLevel(int level)
{
    Level result;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &result.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &result.height);
    result.rgba.resize(static_cast<std::size_t>(result.width) * result.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, result.rgba.data());
    return result;
}

struct CellInk {
    int inked = 0;         // texels with alpha above one half
    int maximum = 0;       // largest alpha
    int border = 0;        // largest alpha on the cell's outermost ring
    bool allWhite = true;  // every texel with any alpha is white
};

CellInk inkOf(const Level& atlas, int code)
{
    const int cell = atlas.width / 16;
    const int x0 = (code % 16) * cell;
    const int y0 = (code / 16) * cell;
    CellInk ink;
    for (int y = y0; y < y0 + cell; ++y) {
        for (int x = x0; x < x0 + cell; ++x) {
            const std::uint8_t a = atlas.alpha(x, y);
            const std::uint8_t* rgb = &atlas.rgba[(static_cast<std::size_t>(y) * atlas.width + x) * 4];
            ink.inked += a > 128 ? 1 : 0;
            ink.maximum = std::max<int>(ink.maximum, a);
            if (x == x0 || y == y0 || x == x0 + cell - 1 || y == y0 + cell - 1) {
                ink.border = std::max<int>(ink.border, a);
            }
            if (a > 0 && std::min({rgb[0], rgb[1], rgb[2]}) < 250) {
                ink.allWhite = false;
            }
        }
    }
    return ink;
}

}

TEST(FontAssets, HeaderDescribesASquareDxt5TextureWithAFullMipChainThatFillsTheFile)
{
    const std::vector<std::uint8_t> bytes = fontFile();
    ASSERT_GE(bytes.size(), kDataStart);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "DDS ", 4));
    const DdsHeader header = parse(bytes);
    EXPECT_EQ(header.size, 124u);
    const std::uint32_t required = 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000;
    EXPECT_EQ(header.flags & required, required);
    EXPECT_EQ(header.width, header.height);
    EXPECT_TRUE(GeneratedAssets::isPowerOfTwo(static_cast<int>(header.width)));
    EXPECT_EQ(header.linearSize, levelBytes(header.width, header.height));
    EXPECT_EQ(header.formatSize, 32u);
    EXPECT_EQ(header.formatFlags & 0x4, 0x4u);
    EXPECT_EQ(0, std::memcmp(bytes.data() + kHeaderStart + 80, "DXT5", 4));
    const std::uint32_t caps = 0x1000 | 0x400000 | 0x8;
    EXPECT_EQ(header.caps & caps, caps);

    std::size_t total = 0;
    std::uint32_t levels = 0;
    for (std::uint32_t size = header.width; size > 0; size /= 2, ++levels) {
        total += levelBytes(size, size);
    }
    EXPECT_EQ(header.mipmapCount, levels);
    EXPECT_EQ(bytes.size(), kDataStart + total);
    // With several levels the game reads twice the linear size after the header.
    EXPECT_LE(total, 2u * header.linearSize);
}

TEST(FontAssets, PrintableCharactersHaveWhiteInkInTheirOwnCellsOnly)
{
    OrbivaneTest::ensureGLContext();
    const std::vector<std::uint8_t> bytes = fontFile();
    ASSERT_GE(bytes.size(), kDataStart);
    const GLuint texture = uploadFont(bytes);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Level atlas = readLevel(0);
    ASSERT_EQ(atlas.width, atlas.height);
    for (int code = 33; code <= 126; ++code) {
        const CellInk ink = inkOf(atlas, code);
        EXPECT_GE(ink.maximum, 230) << "character " << code;
        EXPECT_GE(ink.inked, 8) << "character " << code;
        EXPECT_EQ(ink.border, 0) << "character " << code;
        EXPECT_TRUE(ink.allWhite) << "character " << code;
    }
    for (const int blank : {0, 9, 10, 32, 127}) {
        EXPECT_EQ(inkOf(atlas, blank).maximum, 0) << "character " << blank;
    }
    glDeleteTextures(1, &texture);
}
