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
using OrbivaneTest::TempWorkDir;

namespace {

class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OrbivaneTest::ensureGLContext();
        TextureManager::instance().setSampleMode(0);
    }

    void writePng(const std::string& relativePath, int width, int height, int channels,
                  const std::vector<unsigned char>& pixels)
    {
        const auto file = m_Dir.path() / relativePath;
        std::filesystem::create_directories(file.parent_path());
        ASSERT_NE(stbi_write_png(file.c_str(), width, height, channels, pixels.data(), width * channels), 0);
    }

    void writeSolidPng(const std::string& relativePath, unsigned char r, unsigned char g, unsigned char b)
    {
        writePng(relativePath, 2, 2, 3, {r, g, b, r, g, b, r, g, b, r, g, b});
    }

    // Level 0 of a texture as tightly packed RGBA bytes.
    static std::vector<unsigned char> readBack(GLenum bindTarget, GLenum imageTarget, GLuint texture, int width,
                                               int height)
    {
        std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 4));
        glBindTexture(bindTarget, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(imageTarget, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(bindTarget, 0);
        return pixels;
    }

    static std::pair<GLint, GLint> filtersOf(GLuint texture)
    {
        GLint minFilter = 0;
        GLint magFilter = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        glBindTexture(GL_TEXTURE_2D, 0);
        return {minFilter, magFilter};
    }

    TempWorkDir m_Dir;
};

}

TEST_F(TextureManagerTest, EachPathIsDecodedOnce)
{
    writeSolidPng("res/textures/Once.png", 10, 20, 30);
    const GLuint first = TextureManager::instance().loadTexture("res\\textures\\Once.png");
    std::filesystem::remove(m_Dir.path() / "res/textures/Once.png");
    const GLuint second = TextureManager::instance().loadTexture("res\\textures\\Once.png");
    EXPECT_NE(first, 0u);
    EXPECT_EQ(first, second);
    const auto [minFilter, magFilter] = filtersOf(first);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(TextureManagerTest, ImagesArriveAsThreeChannels)
{
    writePng("rgba.png", 2, 1, 4, {200, 100, 50, 0, 1, 2, 3, 128});
    writePng("grey.png", 2, 1, 1, {77, 210});
    const GLuint rgba = TextureManager::instance().loadTexture("rgba.png");
    const GLuint grey = TextureManager::instance().loadTexture("grey.png");

    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_TEXTURE_2D, rgba, 2, 1),
              (std::vector<unsigned char>{200, 100, 50, 255, 1, 2, 3, 255}));
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_TEXTURE_2D, grey, 2, 1),
              (std::vector<unsigned char>{77, 77, 77, 255, 210, 210, 210, 255}));
}

TEST_F(TextureManagerTest, OddWidthRowsUploadIntact)
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 3 * 3 * 3; ++i) {
        pixels.push_back(static_cast<unsigned char>(i * 9));
    }
    writePng("odd.png", 3, 3, 3, pixels);
    const GLuint texture = TextureManager::instance().loadTexture("odd.png");
    const auto rgba = readBack(GL_TEXTURE_2D, GL_TEXTURE_2D, texture, 3, 3);
    for (size_t pixel = 0; pixel < 9; ++pixel) {
        for (size_t channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(rgba[pixel * 4 + channel], pixels[pixel * 3 + channel]) << "pixel " << pixel;
        }
    }
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

TEST_F(TextureManagerTest, EverySamplingModeReparameterisesEveryTexture)
{
    writeSolidPng("a.png", 1, 1, 1);
    writeSolidPng("b.png", 2, 2, 2);
    TextureManager& textures = TextureManager::instance();
    const std::array<GLuint, 2> ids{textures.loadTexture("a.png"), textures.loadTexture("b.png")};
    const std::array<std::pair<GLint, GLint>, 4> expected{{
        {GL_LINEAR, GL_LINEAR},
        {GL_NEAREST, GL_NEAREST},
        {GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    }};
    for (const int mode : {1, 2, 3, 0, 2, 1}) {
        textures.setSampleMode(mode);
        EXPECT_EQ(textures.sampleMode(), mode);
        for (const GLuint id : ids) {
            EXPECT_EQ(filtersOf(id), expected[static_cast<size_t>(mode)]) << "mode " << mode;
        }
    }
}

TEST_F(TextureManagerTest, TexturesLoadedAfterAModeChangeStartLinear)
{
    TextureManager::instance().setSampleMode(3);
    writeSolidPng("late.png", 4, 5, 6);
    const GLuint late = TextureManager::instance().loadTexture("late.png");
    EXPECT_EQ(filtersOf(late), std::make_pair(GL_LINEAR, GL_LINEAR));
}

TEST_F(TextureManagerTest, CubemapFacesFollowTheFileOrder)
{
    const std::array<std::array<unsigned char, 3>, 6> colours{{
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};
    const std::array<std::string, 6> names{"r.png", "l.png", "t.png", "bo.png", "ba.png", "f.png"};
    for (size_t face = 0; face < 6; ++face) {
        writeSolidPng("sky/" + names[face], colours[face][0], colours[face][1], colours[face][2]);
    }
    const GLuint cubemap = loadCubemap("sky\\", names[0], names[1], names[2], names[3], names[4], names[5]);
    for (size_t face = 0; face < 6; ++face) {
        const auto pixels = readBack(GL_TEXTURE_CUBE_MAP, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face),
                                     cubemap, 2, 2);
        EXPECT_EQ(pixels[0], colours[face][0]) << "face " << face;
        EXPECT_EQ(pixels[1], colours[face][1]) << "face " << face;
        EXPECT_EQ(pixels[2], colours[face][2]) << "face " << face;
    }
    GLint minFilter = 0;
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &minFilter);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_NE(loadCubemap("sky\\", names[0], names[1], names[2], names[3], names[4], names[5]), cubemap);
}

TEST_F(TextureManagerTest, CubemapFailureNamesTheFirstFaceThatFailed)
{
    writeSolidPng("sky2/right.jpg", 1, 1, 1);
    writeSolidPng("sky2/left.jpg", 1, 1, 1);
    try {
        loadCubemap("sky2\\", "right.jpg", "left.jpg", "top.jpg", "bottom.jpg", "back.jpg", "front.jpg");
        ADD_FAILURE() << "no exception";
    } catch (const ExceptionWithMsg& e) {
        EXPECT_EQ(e.m_Message, "Could not load cubemap-texture.sky2\\top.jpg");
    }
}
