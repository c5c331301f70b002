#include "EntityTestAssets.h"

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

// An 8x8 one-colour image: PNG by default, JPEG for the sky faces as the game has them.
void writeImage(const fs::path& file, const glm::ivec3& rgb)
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 64; ++i) {
        pixels.insert(pixels.end(), {static_cast<unsigned char>(rgb.r), static_cast<unsigned char>(rgb.g),
                                     static_cast<unsigned char>(rgb.b)});
    }
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
    for (const char* model : {"Ship", "ShipEngine", "Asteroid", "Asteroid_lod1", "Asteroid_lod2", "BlackHole"}) {
        m_Dir.writeFile(std::string("res/models/") + model + ".obj", QuadObj);
    }
    for (const char* sphere : {"res/models/GenericSphere.obj", "res/models/GenericSphere_lod1.obj",
                               "res/models/GenericSphere_lod2.obj", "res/models/LightVolume.obj"}) {
        fs::create_symlink(OrbivaneTest::gameDir() / sphere, root / sphere);
    }
    const fs::path textures = root / "res" / "textures";
    fs::create_directories(textures / "skybox");
    const std::pair<const char*, glm::ivec3> images[] = {{"Ship.png", ShipTexel}, {"ShipEngine.png", ShipTexel},
        {"asteroid.png", AsteroidTexel}, {"Sun.png", SunTexel}, {"BlackHole.png", BlackHoleTexel},
        {"skybox/right.jpg", SkyTexels[0]}, {"skybox/left.jpg", SkyTexels[1]}, {"skybox/top.jpg", SkyTexels[2]},
        {"skybox/bottom.jpg", SkyTexels[3]}, {"skybox/back.jpg", SkyTexels[4]}, {"skybox/front.jpg", SkyTexels[5]}};
    for (const auto& [name, rgb] : images) {
        writeImage(textures / name, rgb);
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
    for (const GLenum capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND}) {
        glDisable(capability);
    }
    glDepthMask(GL_TRUE);
    glUseProgram(0);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

}
