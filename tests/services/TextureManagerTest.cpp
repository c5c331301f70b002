#include "helpers/ExceptionWithMsg.h"
#include "helpers/TextureManager.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <array>
#include <filesystem>
#include <vector>

using Orbivane::Helpers::ExceptionWithMsg;
using Orbivane::Helpers::loadCubemap;
using Orbivane::Helpers::TextureManager;

namespace {

using Filters = std::pair<GLint, GLint>;

class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrbivaneTest::ensureGLContext();
        TextureManager::instance().setSampleMode(0);
    }

    void writePng(const std::string& relativePath, int width, int channels, const std::vector<unsigned char>& pixels)
    {
        const auto file = m_Dir.path() / relativePath;
        std::filesystem::create_directories(file.parent_path());
        const int height = static_cast<int>(pixels.size()) / (width * channels);
        ASSERT_NE(stbi_write_png(file.c_str(), width, height, channels, pixels.data(), width * channels), 0);
    }

    void writeSolidPng(const std::string& relativePath, unsigned char r, unsigned char g, unsigned char b)
    {
        writePng(relativePath, 2, 3, {r, g, b, r, g, b, r, g, b, r, g, b});
    }

    // Level 0 of a texture as tightly packed RGBA bytes.
    static std::vector<unsigned char> readBack(GLenum bindTarget, GLenum imageTarget, GLuint texture, int texels)
    {
        std::vector<unsigned char> pixels(static_cast<size_t>(texels * 4));
        glBindTexture(bindTarget, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(imageTarget, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(bindTarget, 0);
        return pixels;
    }

    static Filters filtersOf(GLuint texture, GLenum target = GL_TEXTURE_2D)
    {
        Filters filters;
        glBindTexture(target, texture);
        glGetTexParameteriv(target, GL_TEXTURE_MIN_FILTER, &filters.first);
        glGetTexParameteriv(target, GL_TEXTURE_MAG_FILTER, &filters.second);
        glBindTexture(target, 0);
        return filters;
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

}

TEST_F(TextureManagerTest, EachPathIsDecodedOnceIntoThreeChannelsWithLinearFilters)
{
    // An odd width, an alpha channel that must be dropped, and a grey image that must be spread.
    writePng("res/textures/Once.png", 3, 4, {200, 100, 50, 0, 1, 2, 3, 128, 9, 8, 7, 6});
    writePng("grey.png", 2, 1, {77, 210});
    const GLuint first = TextureManager::instance().loadTexture("res\\textures\\Once.png");
    std::filesystem::remove(m_Dir.path() / "res/textures/Once.png");
    EXPECT_EQ(TextureManager::instance().loadTexture("res\\textures\\Once.png"), first);
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_TEXTURE_2D, first, 3),
              (std::vector<unsigned char>{200, 100, 50, 255, 1, 2, 3, 255, 9, 8, 7, 255}));
    EXPECT_EQ(filtersOf(first), Filters(GL_LINEAR, GL_LINEAR));
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_TEXTURE_2D, TextureManager::instance().loadTexture("grey.png"), 2),
              (std::vector<unsigned char>{77, 77, 77, 255, 210, 210, 210, 255}));
}

TEST_F(TextureManagerTest, UndecodableImagesAreFatalAndNotCached)
{
    m_Dir.writeFile("res/textures/Broken.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const std::string path : {"res\\textures\\Missing.png", "res\\textures\\Broken.png"}) {
        try {
            TextureManager::instance().loadTexture(path);
            ADD_FAILURE() << "no exception for " << path;
        } catch (const ExceptionWithMsg& e) {
            EXPECT_EQ(e.m_Message, "Could not load texture. Path: " + path);
        }
    }
    writeSolidPng("res/textures/Missing.png", 1, 2, 3);
    EXPECT_NE(TextureManager::instance().loadTexture("res\\textures\\Missing.png"), 0u);
}

TEST_F(TextureManagerTest, EverySamplingModeReparameterisesEveryTextureAndOthersAreIgnored)
{
    writeSolidPng("a.png", 1, 1, 1);
    writeSolidPng("b.png", 2, 2, 2);
    TextureManager& textures = TextureManager::instance();
    const std::array<GLuint, 2> ids{textures.loadTexture("a.png"), textures.loadTexture("b.png")};
    const std::array<Filters, 4> table{{{GL_LINEAR, GL_LINEAR},
                                        {GL_NEAREST, GL_NEAREST},
                                        {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
                                        {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR}}};
    // 4 lies just past the table and -1 just before it: both leave everything as it was.
    for (const auto& [requested, expected] : {std::pair{1, 1}, {2, 2}, {4, 2}, {3, 3}, {-1, 3}, {0, 0}, {2, 2}, {1, 1}}) {
        textures.setSampleMode(requested);
        EXPECT_EQ(textures.sampleMode(), expected) << "mode " << requested;
        for (const GLuint id : ids) {
            EXPECT_EQ(filtersOf(id), table[static_cast<size_t>(expected)]) << "mode " << requested;
        }
    }
    // Textures loaded later start linear whatever the mode.
    writeSolidPng("late.png", 4, 5, 6);
    EXPECT_EQ(filtersOf(textures.loadTexture("late.png")), Filters(GL_LINEAR, GL_LINEAR));
}

TEST_F(TextureManagerTest, CubemapFacesFollowTheFileOrderAndAFailureNamesTheFace)
{
    const std::array<std::array<unsigned char, 3>, 6> colours{{
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};
    const std::array<std::string, 6> names{"r.png", "l.png", "t.png", "bo.png", "ba.png", "f.png"};
    for (size_t face = 0; face < 6; ++face) {
        writeSolidPng("sky/" + names[face], colours[face][0], colours[face][1], colours[face][2]);
    }
    const GLuint cubemap = loadCubemap("sky\\", names[0], names[1], names[2], names[3], names[4], names[5]);
    for (size_t face = 0; face < 6; ++face) {
        const auto pixels =
            readBack(GL_TEXTURE_CUBE_MAP, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face), cubemap, 4);
        EXPECT_EQ(std::vector<unsigned char>(pixels.begin(), pixels.begin() + 3),
                  std::vector<unsigned char>(colours[face].begin(), colours[face].end()))
            << "face " << face;
    }
    EXPECT_EQ(filtersOf(cubemap, GL_TEXTURE_CUBE_MAP).first, GL_LINEAR_MIPMAP_LINEAR);

    std::filesystem::remove(m_Dir.path() / "sky" / names[2]);
    try {
        loadCubemap("sky\\", names[0], names[1], names[2], names[3], names[4], names[5]);
        ADD_FAILURE() << "no exception";
    } catch (const ExceptionWithMsg& e) {
        EXPECT_EQ(e.m_Message, "Could not load cubemap-texture.sky\\t.png");
    }
}
