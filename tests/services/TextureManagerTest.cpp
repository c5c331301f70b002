#include "helpers/TextureManager.h"
#include "services/FailureOf.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <vector>

using namespace Orbivane::Helpers;
using OrbivaneTest::failureOf;
using Bytes = std::vector<unsigned char>;
using Filters = std::pair<GLint, GLint>;
const Filters kLinear{GL_LINEAR, GL_LINEAR};

namespace {

class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override { OrbivaneTest::ensureGLContext(); }

    void writePng(const std::string& relativePath, const Bytes& pixels, int width = 1, int channels = 3)
    {
        const auto file = m_Dir.path() / relativePath;
        std::filesystem::create_directories(file.parent_path());
        const int height = static_cast<int>(pixels.size()) / (width * channels);
        ASSERT_NE(stbi_write_png(file.c_str(), width, height, channels, pixels.data(), width * channels), 0);
    }

    // Level 0 of a texture as RGBA bytes, and its min/mag filters.
    static std::pair<Bytes, Filters> readBack(GLuint texture, int texels, GLenum target = GL_TEXTURE_2D, int face = 0)
    {
        std::pair<Bytes, Filters> result{Bytes(static_cast<size_t>(texels * 4)), {}};
        glBindTexture(target, texture);
        const GLenum image = target == GL_TEXTURE_2D ? target : GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
        glGetTexImage(image, 0, GL_RGBA, GL_UNSIGNED_BYTE, result.first.data());
        glGetTexParameteriv(target, GL_TEXTURE_MIN_FILTER, &result.second.first);
        glGetTexParameteriv(target, GL_TEXTURE_MAG_FILTER, &result.second.second);
        glBindTexture(target, 0);
        return result;
    }

    OrbivaneTest::TempWorkDir m_Dir;
    TextureManager& m_Textures = TextureManager::instance();
};

}

TEST_F(TextureManagerTest, EachPathIsDecodedOnceIntoThreeChannelsWithLinearFiltersAndFailuresAreNotCached)
{
    // Two rows of an odd width (9 bytes as RGB, not a multiple of 4), an alpha
    // channel that must be dropped, and a grey image that must be spread.
    writePng("res/textures/Once.png",
             {200, 100, 50, 0, 1, 2, 3, 128, 9, 8, 7, 6, 4, 5, 6, 7, 10, 11, 12, 13, 60, 61, 62, 63}, 3, 4);
    writePng("grey.png", {77, 210}, 2, 1);
    const GLuint first = m_Textures.loadTexture("res\\textures\\Once.png");
    std::filesystem::remove(m_Dir.path() / "res/textures/Once.png");
    EXPECT_EQ(m_Textures.loadTexture("res\\textures\\Once.png"), first);
    EXPECT_EQ(readBack(first, 6), std::pair(Bytes{200, 100, 50, 255, 1, 2, 3, 255, 9, 8, 7, 255, 4, 5, 6, 255, 10, 11,
                                                  12, 255, 60, 61, 62, 255},
                                            kLinear));
    EXPECT_EQ(readBack(m_Textures.loadTexture("grey.png"), 2).first, (Bytes{77, 77, 77, 255, 210, 210, 210, 255}));

    m_Dir.writeFile("res/textures/Broken.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const std::string path : {"res\\textures\\Missing.png", "res\\textures\\Broken.png"}) {
        EXPECT_EQ(failureOf([&] { m_Textures.loadTexture(path); }), "Could not load texture. Path: " + path);
    }
    writePng("res/textures/Missing.png", {1, 2, 3});
    EXPECT_NE(m_Textures.loadTexture("res\\textures\\Missing.png"), 0u);
}

TEST_F(TextureManagerTest, EverySamplingModeReparameterisesEveryTextureAndOthersAreIgnored)
{
    writePng("a.png", {1, 1, 1});
    writePng("b.png", {2, 2, 2});
    const GLuint ids[] = {m_Textures.loadTexture("a.png"), m_Textures.loadTexture("b.png")};
    const Filters table[] = {kLinear, {GL_NEAREST, GL_NEAREST},
                             {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST}, {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}};
    // 4 lies just past the table and -1 just before it: both leave everything as it was.
    for (const auto& [mode, expected] : {std::pair{1, 1}, {2, 2}, {4, 2}, {3, 3}, {-1, 3}, {0, 0}, {2, 2}, {1, 1}}) {
        m_Textures.setSampleMode(mode);
        EXPECT_EQ(m_Textures.sampleMode(), expected) << "mode " << mode;
        for (const GLuint id : ids) {
            EXPECT_EQ(readBack(id, 1).second, table[expected]) << "mode " << mode;
        }
    }
    // Textures loaded later start linear whatever the mode.
    writePng("late.png", {4, 5, 6});
    EXPECT_EQ(readBack(m_Textures.loadTexture("late.png"), 1).second, kLinear);
    m_Textures.setSampleMode(0);
}

TEST_F(TextureManagerTest, CubemapFacesFollowTheFileOrderAndAFailureNamesTheFace)
{
    const Bytes colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    const std::string names[] = {"r.png", "l.png", "t.png", "bo.png", "ba.png", "f.png"};
    for (int face = 0; face < 6; ++face) {
        writePng("sky/" + names[face], colours[face]);
    }
    const auto load = [&] { return loadCubemap("sky\\", names[0], names[1], names[2], names[3], names[4], names[5]); };
    const GLuint cubemap = load();
    for (int face = 0; face < 6; ++face) {
        const auto [pixels, filters] = readBack(cubemap, 1, GL_TEXTURE_CUBE_MAP, face);
        EXPECT_EQ(Bytes(pixels.begin(), pixels.begin() + 3), colours[face]) << "face " << face;
        EXPECT_EQ(filters.first, GL_LINEAR_MIPMAP_LINEAR);
    }
    std::filesystem::remove(m_Dir.path() / "sky" / names[2]);
    EXPECT_EQ(failureOf(load), "Could not load cubemap-texture.sky\\t.png");
}

// Every mipmap level, made on the CPU or not, is what the driver's own
// generation makes of the same image, at sizes even and odd.
TEST_F(TextureManagerTest, MipmapLevelsMatchTheDriversOwn)
{
    for (const auto& [width, height] : {std::pair(64, 32), {5, 3}, {33, 17}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Bytes pixels(static_cast<std::size_t>(width * height * 3));
        unsigned int noise = 1;
        for (unsigned char& byte : pixels) {
            byte = static_cast<unsigned char>((noise = noise * 1103515245u + 12345u) >> 16);
        }
        const std::string name = "mips" + std::to_string(width) + ".png";
        writePng(name, pixels, width);
        const GLuint loaded = m_Textures.loadTexture(name);
        GLuint generated = 0;
        glCreateTextures(GL_TEXTURE_2D, 1, &generated);
        glBindTexture(GL_TEXTURE_2D, generated);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        for (int level = 1; (width >> (level - 1)) > 1 || (height >> (level - 1)) > 1; ++level) {
            const auto size = static_cast<GLsizei>(std::max(width >> level, 1) * std::max(height >> level, 1) * 4);
            Bytes ours(static_cast<std::size_t>(size)), drivers(static_cast<std::size_t>(size));
            glGetTextureImage(loaded, level, GL_RGBA, GL_UNSIGNED_BYTE, size, ours.data());
            glGetTextureImage(generated, level, GL_RGBA, GL_UNSIGNED_BYTE, size, drivers.data());
            EXPECT_EQ(ours, drivers) << "level " << level;
        }
        glDeleteTextures(1, &generated);
    }
}
