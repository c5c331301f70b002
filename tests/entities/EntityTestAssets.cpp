#include "EntityTestAssets.h"

#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace EntityTest {

namespace fs = std::filesystem;

namespace {

const char* const QuadObj = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                            "f 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n";

glm::vec3 spherePoint(int stack, int slice, int stacks, int slices)
{
    const float pi = 3.14159265358979f;
    const float theta = pi * static_cast<float>(stack) / static_cast<float>(stacks);
    const float phi = 2.0f * pi * static_cast<float>(slice) / static_cast<float>(slices);
    return {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
}

// A UV sphere with outward counter-clockwise faces and one vertex at (0, 0, 1).
std::string sphereObj()
{
    const int stacks = 8;
    const int slices = 16;
    std::ostringstream obj;
    std::vector<glm::vec3> points;
    for (int stack = 0; stack <= stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            const glm::vec3 p = spherePoint(stack, slice, stacks, slices);
            points.push_back(p);
            obj << "v " << p.x << ' ' << p.y << ' ' << p.z << "\nvn " << p.x << ' ' << p.y << ' ' << p.z << '\n';
        }
    }
    auto index = [&](int stack, int slice) { return stack * slices + slice % slices + 1; };
    auto face = [&](int a, int b, int c) {
        const glm::vec3 pa = points[a - 1], pb = points[b - 1], pc = points[c - 1];
        const glm::vec3 facing = glm::cross(pb - pa, pc - pa);
        if (glm::length(facing) < 1e-6f) {
            return;
        }
        if (glm::dot(facing, pa + pb + pc) < 0.0f) {
            std::swap(b, c);
        }
        obj << "f " << a << "//" << a << ' ' << b << "//" << b << ' ' << c << "//" << c << '\n';
    };
    for (int stack = 0; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            face(index(stack, slice), index(stack + 1, slice), index(stack + 1, slice + 1));
            face(index(stack, slice), index(stack + 1, slice + 1), index(stack, slice + 1));
        }
    }
    return obj.str();
}

std::vector<unsigned char> solid(const glm::ivec3& rgb, int size)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(size * size * 3));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(rgb[static_cast<int>(i % 3)]);
    }
    return pixels;
}

void writePng(const fs::path& file, const glm::ivec3& rgb)
{
    const auto pixels = solid(rgb, 2);
    if (stbi_write_png(file.c_str(), 2, 2, 3, pixels.data(), 6) == 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void writeJpg(const fs::path& file, const glm::ivec3& rgb)
{
    const auto pixels = solid(rgb, 8);
    if (stbi_write_jpg(file.c_str(), 8, 8, 3, pixels.data(), 100) == 0) {
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
    m_Dir.writeFile("res/models/GenericSphere.obj", sphereObj());

    const fs::path textures = root / "res" / "textures";
    fs::create_directories(textures / "skybox");
    writePng(textures / "Ship.png", ShipTexel);
    writePng(textures / "ShipEngine.png", ShipTexel);
    writePng(textures / "asteroid.png", AsteroidTexel);
    writePng(textures / "Sun.png", SunTexel);
    writePng(textures / "BlackHole.png", BlackHoleTexel);
    const char* faces[6] = {"right", "left", "top", "bottom", "back", "front"};
    for (int face = 0; face < 6; ++face) {
        writeJpg(textures / "skybox" / (std::string(faces[face]) + ".jpg"), SkyTexels[face]);
    }
}

GBufferTarget::GBufferTarget()
{
    const GLenum formats[5] = {GL_RGBA32F, GL_RGBA8, GL_RGBA16F, GL_RGBA16F, GL_RGBA32F};
    glGenFramebuffers(1, &m_FBO);
    glBindFramebuffer(GL_FRAMEBUFFER, m_FBO);
    glGenTextures(5, m_Textures);
    for (int i = 0; i < 5; ++i) {
        glBindTexture(GL_TEXTURE_2D, m_Textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(formats[i]), Size, Size, 0, GL_RGBA, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, m_Textures[i], 0);
    }
    glGenTextures(1, &m_Depth);
    glBindTexture(GL_TEXTURE_2D, m_Depth);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, Size, Size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_Depth, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        throw std::runtime_error("test G-buffer incomplete");
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

GBufferTarget::~GBufferTarget()
{
    glDeleteFramebuffers(1, &m_FBO);
    glDeleteTextures(5, m_Textures);
    glDeleteTextures(1, &m_Depth);
}

void GBufferTarget::beginGeometry() const
{
    const GLenum drawBuffers[5] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2,
                                   GL_COLOR_ATTACHMENT3, GL_COLOR_ATTACHMENT4};
    glBindFramebuffer(GL_FRAMEBUFFER, m_FBO);
    glDrawBuffers(5, drawBuffers);
    glViewport(0, 0, Size, Size);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

glm::vec4 GBufferTarget::read(int attachment, int x, int y) const
{
    glm::vec4 texel(-1.0f);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_FBO);
    glReadBuffer(GL_COLOR_ATTACHMENT0 + attachment);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_FLOAT, &texel[0]);
    return texel;
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

void expectVec(const glm::vec3& actual, const glm::vec3& expected, float tolerance)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

void expectVec4(const glm::vec4& actual, const glm::vec4& expected, float tolerance)
{
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

}
