#include "EntityTestAssets.h"

#include "Camera.h"
#include "entities/Asteroid.h"
#include "entities/BlackHole.h"
#include "entities/Ship.h"
#include "entities/Sun.h"
#include "helpers/TextureManager.h"
#include "rendering/Skybox.h"

namespace {

using namespace EntityTest;
using namespace Orbivane::Entities;

enum Attachment { Position, Diffuse, Normal, Params, Emitted };
constexpr int Centre = GBufferTarget::Size / 2;
constexpr float JpegTolerance = 0.04f;

glm::vec4 texel(const glm::ivec3& rgb)
{
    return glm::vec4(glm::vec3(rgb) / 255.0f, 1.0f);
}

// The game's projection for a square window.
glm::mat4 projection()
{
    return Orbivane::Camera(GBufferTarget::Size, GBufferTarget::Size).getProjectionMatrix();
}

glm::mat4 view(const glm::vec3& eye, const glm::vec3& target)
{
    return glm::lookAt(eye, target, glm::vec3(0, 1, 0));
}

class GeometryOutput : public testing::Test {
protected:
    void TearDown() override { EntityTest::resetGLState(); }

    // Draws one entity alone into a cleared G-buffer, seen from eye towards its position.
    void drawAlone(Entity& entity, const glm::vec3& eye)
    {
        entity.update(projection() * view(eye, entity.getPosition()));
        m_GBuffer.beginGeometry();
        entity.draw();
    }

    void expectCentre(Attachment attachment, const glm::vec4& expected, float tolerance)
    {
        expectVec(m_GBuffer.read(attachment, Centre, Centre), expected, tolerance);
    }

    // Matter shows its texture and keeps only a small share of it unlit (alpha);
    // the sky keeps all of it.
    void expectMatter(const glm::ivec3& rgb)
    {
        const glm::vec4 diffuse = m_GBuffer.read(Diffuse, Centre, Centre);
        expectVec(glm::vec3(diffuse), glm::vec3(rgb) / 255.0f, 1.0f / 255.0f);
        EXPECT_TRUE(diffuse.a > 0.0f && diffuse.a <= 0.25f) << diffuse.a;
    }

    EntityTest::AssetDir m_Assets;
    GBufferTarget m_GBuffer;
};

TEST_F(GeometryOutput, EntitiesWriteWorldPositionColourUnitNormalAndMaterial)
{
    // Yawed a quarter turn, the ship's quad stands in the plane x = 3 facing +x.
    Ship ship(glm::vec3(3, 18, -2));
    ship.setRotationY(glm::half_pi<float>());
    ship.updateModelMatrix();
    drawAlone(ship, glm::vec3(13, 18, -2));
    expectVec(m_GBuffer.read(Position, Centre, Centre), glm::vec4(3, 18, -2, 1), 0.2f);
    EXPECT_NEAR(m_GBuffer.read(Position, Centre, Centre).x, 3.0f, 1e-4f);
    expectMatter(EntityTest::ShipTexel);
    expectCentre(Normal, glm::vec4(1, 0, 0, 1), 1e-3f);
    expectCentre(Params, glm::vec4(0.5f, 1.5f, 5.0f, 1.0f), 1e-3f);
    expectCentre(Emitted, glm::vec4(0.0f), 0.0f);
    EXPECT_EQ(m_GBuffer.read(Position, 0, 0).w, 0.0f) << "where nothing was drawn there is no surface";

    Asteroid asteroid(glm::vec3(0, 0, -5));
    asteroid.m_Scale = 3.0f;
    drawAlone(asteroid, glm::vec3(0, 0, 5));
    expectCentre(Normal, glm::vec4(0, 0, 1, 1), 1e-3f);
    expectCentre(Params, glm::vec4(0.6f, 0.2f, 2.5f, 1.0f), 1e-3f);
    expectMatter(EntityTest::AsteroidTexel);
}

// The texture is laid on by the model's coordinates: a quad showing a
// texture of two texels is red on its left half and blue on its right.
TEST_F(GeometryOutput, TexturesFollowTheModelsCoordinates)
{
    Entity quad(glm::vec3(0), glm::vec3(0));
    quad.m_Model = std::make_shared<Orbivane::Models::Model>("res\\models\\Asteroid.obj");
    const unsigned char texels[] = {255, 0, 0, 0, 0, 255};
    glCreateTextures(GL_TEXTURE_2D, 1, &quad.m_Texture);
    glTextureStorage2D(quad.m_Texture, 1, GL_RGB8, 2, 1);
    glTextureSubImage2D(quad.m_Texture, 0, 0, 0, 2, 1, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTextureParameteri(quad.m_Texture, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTextureParameteri(quad.m_Texture, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    drawAlone(quad, glm::vec3(0, 0, 2));
    expectVec(glm::vec3(m_GBuffer.read(Diffuse, Centre - 8, Centre)), glm::vec3(1, 0, 0));
    expectVec(glm::vec3(m_GBuffer.read(Diffuse, Centre + 8, Centre)), glm::vec3(0, 0, 1));
    glDeleteTextures(1, &quad.m_Texture);
}

TEST_F(GeometryOutput, SunGlowsInItsColourAndBlackHoleStaysDark)
{
    Sun sun(glm::vec3(0), glm::vec3(0, 1, 0));
    drawAlone(sun, glm::vec3(0, 0, 5));
    const float glow = static_cast<float>(EntityTest::SunTexel.g) / 255.0f;
    expectCentre(Emitted, glm::vec4(0, glow, 0, 1), 2e-3f);
    expectCentre(Diffuse, glm::vec4(0, glow, 0, 1), 2.0f / 255.0f);
    expectCentre(Params, glm::vec4(0, 0, 0, 1), 1e-3f);
    expectCentre(Normal, glm::vec4(0, 0, 1, 1), 0.1f);
    expectCentre(Position, glm::vec4(0, 0, 1, 1), 0.1f);

    BlackHole blackHole(glm::vec3(0));
    drawAlone(blackHole, glm::vec3(0, 0, 5));
    expectCentre(Emitted, glm::vec4(0.0f), 0.0f);
    expectCentre(Params, glm::vec4(0, 0, 0, 1), 0.0f);
    EXPECT_LT(m_GBuffer.read(Diffuse, Centre, Centre).r, 0.05f);
}

TEST_F(GeometryOutput, TheSkyMovesWithTheCameraTurnsAgainstItAndStaysBehindEntities)
{
    Orbivane::Rendering::Skybox sky;
    const auto skyAt = [&](const glm::vec3& eye, const glm::vec3& heading, int x) {
        m_GBuffer.beginGeometry();
        sky.draw(view(eye, eye + heading), projection());
        return m_GBuffer.read(Diffuse, x, x);
    };
    expectVec(skyAt(glm::vec3(0), glm::vec3(0, 0, -1), Centre), texel(EntityTest::SkyTexels[5]), JpegTolerance);
    expectCentre(Position, glm::vec4(0.0f), 0.0f);
    expectCentre(Emitted, glm::vec4(0.0f), 0.0f);
    const glm::vec3 far(100, -40, 30);
    for (int corner : {2, Centre, GBufferTarget::Size - 3}) {
        EXPECT_EQ(skyAt(far, glm::vec3(0, 0, -1), corner), skyAt(glm::vec3(0), glm::vec3(0, 0, -1), corner));
    }
    expectVec(skyAt(far, glm::vec3(1, 0, 0), Centre), texel(EntityTest::SkyTexels[0]), JpegTolerance);
    expectVec(skyAt(far, glm::vec3(0, 0, 1), Centre), texel(EntityTest::SkyTexels[4]), JpegTolerance);

    // An entity beyond the sky cube still hides the sky.
    Entity distant(glm::vec3(0, 0, -300), glm::vec3(0));
    distant.m_Model = std::make_shared<Orbivane::Models::Model>("res\\models\\Asteroid.obj");
    distant.m_Texture = Orbivane::Helpers::TextureManager::instance().loadTexture("res\\textures\\asteroid.png");
    distant.m_Scale = 100.0f;
    drawAlone(distant, glm::vec3(0));
    sky.draw(view(glm::vec3(0), glm::vec3(0, 0, -1)), projection());
    expectMatter(EntityTest::AsteroidTexel);
    expectVec(m_GBuffer.read(Diffuse, 0, 0), texel(EntityTest::SkyTexels[5]), JpegTolerance);
}

}
