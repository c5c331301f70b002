#include "EntityTestAssets.h"

#include "Camera.h"
#include "entities/Asteroid.h"
#include "entities/BlackHole.h"
#include "entities/Ship.h"
#include "entities/ShipEngine.h"
#include "entities/SpotLight.h"
#include "entities/Sun.h"
#include "helpers/TextureManager.h"
#include "rendering/Skybox.h"

#include <gtest/gtest.h>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <vector>

namespace {

using EntityTest::AssetDir;
using EntityTest::expectVec;
using EntityTest::GBufferTarget;
using namespace Orbivane::Entities;

enum Attachment { Position, Diffuse, Normal, Params, Emitted };
constexpr int Centre = GBufferTarget::Size / 2;

glm::vec4 texel(const glm::ivec3& rgb)
{
    return glm::vec4(glm::vec3(rgb) / 255.0f, 1.0f);
}

// Matter shows its texture and keeps only a small share of it unlit (alpha);
// the sky keeps all of it.
void expectMatter(const glm::vec4& diffuse, const glm::ivec3& rgb)
{
    EntityTest::expectVec(glm::vec3(diffuse), glm::vec3(rgb) / 255.0f, 1.0f / 255.0f);
    EXPECT_GT(diffuse.a, 0.0f);
    EXPECT_LE(diffuse.a, 0.25f);
}

// The game's projection for a square window, seen from eye towards target.
glm::mat4 viewProjection(const glm::vec3& eye, const glm::vec3& target)
{
    const Orbivane::Camera camera(GBufferTarget::Size, GBufferTarget::Size);
    return camera.getProjectionMatrix() * glm::lookAt(eye, target, glm::vec3(0, 1, 0));
}

class GeometryOutput : public testing::Test {
protected:
    void TearDown() override { EntityTest::resetGLState(); }

    AssetDir m_Assets;
    GBufferTarget m_GBuffer;
};

TEST_F(GeometryOutput, EntityWritesWorldPositionColourNormalAndMaterial)
{
    // Yawed a quarter turn, the ship's quad stands in the plane x = 3 facing +x.
    Ship ship(glm::vec3(3, 18, -2));
    ship.setRotationY(glm::half_pi<float>());
    ship.updateModelMatrix();
    ship.update(viewProjection(glm::vec3(13, 18, -2), glm::vec3(3, 18, -2)));
    m_GBuffer.beginGeometry();
    ship.draw();

    const glm::vec4 position = m_GBuffer.read(Position, Centre, Centre);
    EXPECT_NEAR(position.x, 3.0f, 1e-4f);
    EXPECT_NEAR(position.y, 18.0f, 0.2f);
    EXPECT_NEAR(position.z, -2.0f, 0.2f);
    EXPECT_EQ(position.w, 1.0f);
    expectMatter(m_GBuffer.read(Diffuse, Centre, Centre), EntityTest::ShipTexel);
    expectVec(m_GBuffer.read(Normal, Centre, Centre), glm::vec4(1, 0, 0, 1), 1e-3f);
    expectVec(m_GBuffer.read(Params, Centre, Centre), glm::vec4(0.5f, 1.5f, 5.0f, 1.0f), 1e-3f);
    expectVec(m_GBuffer.read(Emitted, Centre, Centre), glm::vec4(0.0f), 0.0f);

    // Where nothing was drawn the clear values remain: no surface.
    EXPECT_EQ(m_GBuffer.read(Position, 0, 0).w, 0.0f);
}

TEST_F(GeometryOutput, ScaledEntityStillWritesAUnitNormal)
{
    Asteroid asteroid(glm::vec3(0, 0, -5));
    asteroid.m_Scale = 3.0f;
    asteroid.update(viewProjection(glm::vec3(0, 0, 5), glm::vec3(0, 0, -5)));
    m_GBuffer.beginGeometry();
    asteroid.draw();

    expectVec(m_GBuffer.read(Normal, Centre, Centre), glm::vec4(0, 0, 1, 1), 1e-3f);
    expectVec(m_GBuffer.read(Params, Centre, Centre), glm::vec4(0.6f, 0.2f, 2.5f, 1.0f), 1e-3f);
    expectMatter(m_GBuffer.read(Diffuse, Centre, Centre), EntityTest::AsteroidTexel);
}

TEST_F(GeometryOutput, SunGlowsInItsColourAndBlackHoleStaysDark)
{
    Sun sun(glm::vec3(0), glm::vec3(0, 1, 0));
    sun.update(viewProjection(glm::vec3(0, 0, 5), glm::vec3(0)));
    m_GBuffer.beginGeometry();
    sun.draw();

    const float glow = static_cast<float>(EntityTest::SunTexel.g) / 255.0f;
    expectVec(m_GBuffer.read(Emitted, Centre, Centre), glm::vec4(0, glow, 0, 1), 2e-3f);
    expectVec(m_GBuffer.read(Diffuse, Centre, Centre), glm::vec4(0, glow, 0, 1), 2.0f / 255.0f);
    expectVec(m_GBuffer.read(Params, Centre, Centre), glm::vec4(0, 0, 0, 1), 1e-3f);
    expectVec(m_GBuffer.read(Normal, Centre, Centre), glm::vec4(0, 0, 1, 1), 0.1f);
    const glm::vec4 surface = m_GBuffer.read(Position, Centre, Centre);
    EXPECT_EQ(surface.w, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(surface)), 1.0f, 0.1f);

    BlackHole blackHole(glm::vec3(0));
    blackHole.update(viewProjection(glm::vec3(0, 0, 5), glm::vec3(0)));
    m_GBuffer.beginGeometry();
    blackHole.draw();
    expectVec(m_GBuffer.read(Emitted, Centre, Centre), glm::vec4(0.0f), 0.0f);
    expectVec(m_GBuffer.read(Params, Centre, Centre), glm::vec4(0, 0, 0, 1), 0.0f);
    EXPECT_LT(m_GBuffer.read(Diffuse, Centre, Centre).r, 0.05f);
}

class SkyOutput : public GeometryOutput {
protected:
    glm::vec4 skyAt(const glm::vec3& eye, const glm::vec3& target, int x = Centre, int y = Centre)
    {
        const Orbivane::Camera camera(GBufferTarget::Size, GBufferTarget::Size);
        m_GBuffer.beginGeometry();
        m_Sky.draw(glm::lookAt(eye, target, glm::vec3(0, 1, 0)), camera.getProjectionMatrix());
        return m_GBuffer.read(Diffuse, x, y);
    }

    Orbivane::Rendering::Skybox m_Sky;
};

TEST_F(SkyOutput, MovingTheCameraLeavesTheSkyInPlaceAndTurningItDoesNot)
{
    const float jpegTolerance = 0.04f;
    const glm::vec4 ahead = skyAt(glm::vec3(0), glm::vec3(0, 0, -1));
    expectVec(ahead, texel(EntityTest::SkyTexels[5]), jpegTolerance);
    EXPECT_EQ(m_GBuffer.read(Position, Centre, Centre), glm::vec4(0.0f)) << "the sky is no surface";
    EXPECT_EQ(m_GBuffer.read(Emitted, Centre, Centre), glm::vec4(0.0f)) << "a dim sky emits nothing";

    const glm::vec3 far(100, -40, 30);
    for (int corner : {2, Centre, GBufferTarget::Size - 3}) {
        EXPECT_EQ(skyAt(far, far + glm::vec3(0, 0, -1), corner, corner), skyAt(glm::vec3(0), glm::vec3(0, 0, -1), corner, corner));
    }

    expectVec(skyAt(far, far + glm::vec3(1, 0, 0)), texel(EntityTest::SkyTexels[0]), jpegTolerance);
    expectVec(skyAt(far, far + glm::vec3(0, 0, 1)), texel(EntityTest::SkyTexels[4]), jpegTolerance);
}

TEST_F(SkyOutput, StaysBehindEntitiesEvenBeyondTheCube)
{
    Entity distant(glm::vec3(0, 0, -300), glm::vec3(0));
    distant.m_Model = std::make_shared<Orbivane::Models::Model>("res\\models\\Asteroid.obj");
    distant.m_Texture = Orbivane::Helpers::TextureManager::instance().loadTexture("res\\textures\\asteroid.png");
    distant.m_Scale = 100.0f;
    const Orbivane::Camera camera(GBufferTarget::Size, GBufferTarget::Size);
    const glm::mat4 view = glm::lookAt(glm::vec3(0), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
    distant.update(camera.getProjectionMatrix() * view);

    m_GBuffer.beginGeometry();
    distant.draw();
    m_Sky.draw(view, camera.getProjectionMatrix());

    expectMatter(m_GBuffer.read(Diffuse, Centre, Centre), EntityTest::AsteroidTexel);
    expectVec(m_GBuffer.read(Diffuse, 0, 0), texel(EntityTest::SkyTexels[5]), 0.04f);
}

}
