#include "Canvas.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/Text.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>
#include <utility>

using Orbivane::Helpers::Text;
using OverlayTest::Canvas;

namespace {

// A DDS file as the font loader reads it: magic, 124-byte header, then
// `dataBytes` bytes of (blank) level data.
std::string ddsFile(const char* fourCC, std::uint32_t width, std::uint32_t height, std::uint32_t linearSize,
                    std::uint32_t mipmaps, std::size_t dataBytes)
{
    std::string header(124, '\0');
    for (const auto& [offset, value] : {std::pair{8, height}, {12, width}, {16, linearSize}, {24, mipmaps}}) {
        std::memcpy(&header[offset], &value, 4);
    }
    std::memcpy(&header[80], fourCC, 4);
    return "DDS " + header + std::string(dataBytes, '\0');
}

// A game folder with the shaders but no fonts; each test writes its own.
class FontTest : public ::testing::Test {
protected:
    FontTest()
    {
        std::filesystem::create_directory_symlink(OrbivaneTest::gameDir() / "shader", m_Dir.path() / "shader");
    }

    void writeFont(const std::string& bytes) const { m_Dir.writeFile("res/fonts/test.dds", bytes); }

    static std::string loadFailure()
    {
        try {
            Text text(0, 64, 64);
        } catch (const Orbivane::Helpers::ExceptionWithMsg& e) {
            return e.m_Message;
        }
        return "loaded";
    }

    GLFWwindow* m_Window = OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir m_Dir;
};

// 64 x 64: seven levels down to 1 x 1. A compression the game does not know
// leaves the font without a texture; a file without levels gives an empty one.
TEST_F(FontTest, UploadsTheWholeChainOfEachCompression)
{
    const std::tuple<const char*, std::uint32_t, std::uint32_t, GLint> cases[] = {
        {"DXT1", 7, 2744, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT}, {"DXT3", 7, 5488, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT},
        {"DXT5", 7, 5488, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT}, {"ATI2", 7, 5488, 0}, {"DXT5", 0, 0, 0}};
    for (const auto& [fourCC, mipmaps, chainBytes, format] : cases) {
        SCOPED_TRACE(std::string(fourCC) + " with " + std::to_string(mipmaps) + " levels");
        writeFont(ddsFile(fourCC, 64, 64, chainBytes / 2 + 1, mipmaps, chainBytes));
        const Text text(0, 64, 64);
        ASSERT_EQ(text.m_FontTexture == 0, std::string(fourCC) == "ATI2");
        GLint internal = 0;
        glm::ivec3 widths(0);
        if (text.m_FontTexture != 0) {
            glGetTextureLevelParameteriv(text.m_FontTexture, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
            for (int i = 0; i < 3; ++i) {
                glGetTextureLevelParameteriv(text.m_FontTexture, i == 0 ? 0 : 4 + i, GL_TEXTURE_WIDTH, &widths[i]);
            }
        }
        EXPECT_EQ(widths, format != 0 ? glm::ivec3(64, 2, 1) : glm::ivec3(0));
        EXPECT_TRUE(format == 0 || internal == format) << internal;
    }
}

TEST_F(FontTest, FilesThatLieEndTheGameWithAMessageNamingTheFont)
{
    const std::string font = "res\\fonts\\test.dds";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Could not open font! " + font},
        {"BMP and more than four bytes", "Font is not a DDS file!"},
        // One byte short: the header's length comes after the four-byte magic.
        {ddsFile("DXT5", 4, 4, 16, 1, 0).substr(0, 127), "Font file is shorter than its 128-byte header: " + font},
        // The header promises two levels of data; the file ends inside the second.
        {ddsFile("DXT5", 64, 64, 4096, 7, 4196),
         "Font level 1 ends at byte 5120 of the level data, but only 4196 were read: " + font},
        // A single level is read as "linear size" bytes, however long the file is.
        {ddsFile("DXT5", 64, 64, 16, 1, 4096),
         "Font level 0 ends at byte 4096 of the level data, but only 16 were read: " + font},
        {ddsFile("DXT1", 64, 64, 2048, 8, 4096), "Font has 8 mipmap levels, but a 64 x 64 image has only 7: " + font},
        {ddsFile("DXT1", 0, 0, 0, 1, 0), "Font has 1 mipmap levels, but a 0 x 0 image has only 0: " + font},
        // 65536 x 65536 blocks of 16 bytes: exactly 2^36, zero in 32-bit arithmetic.
        {ddsFile("DXT5", 262144, 262144, 0, 1, 64), "Font level 0 of 262144 x 262144 is too large: " + font},
        {ddsFile("DXT5", 0x80000000u, 4, 8, 1, 64), "Font size 2147483648 x 4 is too large: " + font},
    };
    for (const auto& [bytes, message] : cases) {
        std::filesystem::remove_all(m_Dir.path() / "res");
        if (!bytes.empty()) {
            writeFont(bytes);
        }
        EXPECT_EQ(loadFailure(), message);
    }
}

// The game's own font, printing into a small canvas.
class TextLayoutTest : public ::testing::Test {
protected:
    // Prints `text` at (kX, kY) in 16-pixel cells on a fresh canvas.
    const Canvas& print(const char* text)
    {
        m_Canvas.clear();
        m_Text.print(text, kX, kY, kSize);
        m_Canvas.read();
        return m_Canvas;
    }

    static constexpr int kX = 32, kY = 96, kSize = 16;
    GLFWwindow* m_Window = OrbivaneTest::ensureGLContext();
    OrbivaneTest::TempWorkDir m_Dir{""};
    Canvas m_Canvas{160, 128};
    Text m_Text{m_Canvas.m_Framebuffer, 160, 128};
};

TEST_F(TextLayoutTest, CharactersFillCellsRightOfXAndLinesStepDown)
{
    using Cells = std::set<std::pair<int, int>>;  // (column, line), line 0 at y, -1 below it
    const std::pair<const char*, Cells> cases[] = {{"ab\ncd", {{1, 0}, {2, 0}, {1, -1}, {2, -1}}}, {"a\n", {{1, 0}}},
                                                   {"a\n\nb", {{1, 0}, {1, -2}}}, {"a\tb", {{1, 0}, {3, 0}}}, {"", {}}};
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const Canvas& canvas = print(text);
        for (int line = -3; line <= 1; ++line) {
            for (int column = 0; column < 8; ++column) {
                const int x = kX + column * kSize;
                const int y = kY + line * kSize;
                EXPECT_EQ(canvas.inked(x, y, x + kSize, y + kSize), expected.count({column, line}) == 1)
                    << "column " << column << ", line " << line;
            }
        }
    }
}

TEST_F(TextLayoutTest, LatinOneAndUtf8ShowTheSameGlyphUnknownOnesAQuestionMarkAndStateIsRestored)
{
    const Canvas latin1 = print("\xE9");
    EXPECT_TRUE(latin1.inked(0, 0, 160, 128));
    EXPECT_EQ(print("\xC3\xA9"), latin1);
    EXPECT_FALSE(print("\xF9") == latin1);
    // Malformed UTF-8 is Latin-1, byte by byte: overlong forms of "/", a
    // surrogate, and a high byte that is no continuation.
    const std::pair<const char*, const char*> malformed[] = {{"\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"\xE0\x80\xAF", "\xC3\xA0\xC2\x80\xC2\xAF"}, {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"\xC3\xE9", "\xC3\x83\xC3\xA9"}};
    for (const auto& [bytes, asLatin1] : malformed) {
        const Canvas expected = print(asLatin1);
        EXPECT_EQ(print(bytes), expected) << asLatin1;
    }
    const Canvas question = print("?");
    EXPECT_EQ(print("\xE2\x82\xAC"), question);
    EXPECT_EQ(print("\xF0\x9F\x9A\x80"), question);

    // Printing puts back what it changed, even for an empty string.
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    GLuint other = 0;
    glGenFramebuffers(1, &other);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, other);
    m_Text.print("", kX, kY, kSize);
    EXPECT_EQ(OrbivaneTest::integerState(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(OrbivaneTest::integerState(GL_CURRENT_PROGRAM), 0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND));
    glDisable(GL_CULL_FACE);
}

}
