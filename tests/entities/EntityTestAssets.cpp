#include "EntityTestAssets.h"

#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace EntityTest {

namespace fs = std::filesystem;

namespace {

const char* const QuadObj = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                            "f 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n";

std::vector<unsigned char> solid(const glm::ivec3& rgb, int size)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(size * size * 3));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(rgb[static_cast<int>(i % 3)]);
    }
    return pixels;
}

// A one-colour image: PNG by default, JPEG for the sky faces as the game has them.
void writeImage(const fs::path& file, const glm::ivec3& rgb)
{
    const auto pixels = solid(rgb, 8);
    const bool written = file.extension() == ".jpg" ? stbi_write_jpg(file.c_str(), 8, 8, 3, pixels.data(), 100) != 0
                                                    : stbi_write_png(file.c_str(), 8, 8, 3, pixels.data(), 24) != 0;
    if (!written) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}

AssetDir::AssetDir()
{
    OrbivaneTest::ensureGLContext();
    const fs::path root = m_Dir.path();
    fs::create_directory_symlink(OrbivaneTest::gameDir() / "shader", root / "shader");
    for (const char* model : {"Ship", "ShipEngine", "Asteroid", "BlackHole"}) {
        m_Dir.writeFile(std::string("res/models/") + model + ".obj", QuadObj);
    }
    fs::create_symlink(OrbivaneTest::gameDir() / "res" / "models" / "GenericSphere.obj", root / "res" / "models" / "GenericSphere.obj");

    const fs::path textures = root / "res" / "textures";
    fs::create_directories(textures / "skybox");
    writeImage(textures / "Ship.png", ShipTexel);
    writeImage(textures / "ShipEngine.png", ShipTexel);
    writeImage(textures / "asteroid.png", AsteroidTexel);
    writeImage(textures / "Sun.png", SunTexel);
    writeImage(textures / "BlackHole.png", BlackHoleTexel);
    const char* faces[6] = {"right", "left", "top", "bottom", "back", "front"};
    for (int face = 0; face < 6; ++face) {
        writeImage(textures / "skybox" / (std::string(faces[face]) + ".jpg"), SkyTexels[face]);
    }
}

void GBufferTarget::beginGeometry() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_FBO);
    glDrawBuffers(static_cast<GLsizei>(m_DrawBuffers.size()), m_DrawBuffers.data());
    glViewport(0, 0, Size, Size);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

void resetGLState()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glUseProgram(0);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

}
