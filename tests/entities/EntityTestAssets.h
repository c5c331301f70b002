#pragma once

#include "rendering/GBuffer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace EntityTest {

// Colours of the one-colour textures the fixture writes, as bytes.
inline const glm::ivec3 ShipTexel(200, 100, 50);
inline const glm::ivec3 AsteroidTexel(40, 160, 80);
inline const glm::ivec3 SunTexel(128, 128, 128);
inline const glm::ivec3 BlackHoleTexel(6, 6, 6);
// Sky faces in cube-map order +X, -X, +Y, -Y, +Z ("back"), -Z ("front").
inline const glm::ivec3 SkyTexels[6] = {{200, 0, 0},   {0, 200, 0},   {0, 0, 200},
                                        {200, 200, 0}, {0, 200, 200}, {200, 0, 200}};

// A working directory with the game's shaders, its unit sphere and tiny
// assets of known content: every other model is a 2x2 quad in the xy plane
// facing +z. Textures and meshes are cached per path for the whole process,
// so every instance writes exactly the same files.
struct AssetDir {
    AssetDir();
    OrbivaneTest::TempWorkDir m_Dir;
};

// The game's own G-buffer, at a size small enough to read back quickly.
class GBufferTarget : public Orbivane::Rendering::GBuffer {
public:
    static constexpr int Size = 64;

    GBufferTarget() : GBuffer(Size, Size) {}

    // Binds, clears to zero and sets the depth state the geometry pass uses.
    void beginGeometry() const;
    glm::vec4 read(int attachment, int x, int y) const { return OrbivaneTest::readPixel(m_FBO, x, y, attachment); }
};

// Ends every test with the default framebuffer and no leftover state.
void resetGLState();

template <int N>
void expectVec(const glm::vec<N, float>& actual, const glm::vec<N, float>& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < N; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

}
