#include "Controls.h"
#include "rendering/FramebufferDump.h"
#include "rendering/Renderer.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using namespace Orbivane::Entities;
using Orbivane::Worlds::GameState;

constexpr unsigned Width = 200, Height = 100;
const GameState Playing{true, 1.0f, false, 0, "", 0, 0, false, false};
const GameState Dead{false, 1.0f, false, 0, "", 0, 0, false, false};

// A rock off to the right of the ship, its face towards the camera; suns
// in front of it sit above the line of sight so that they do not hide it.
const glm::vec3 RockPosition(10.0f, 18.0f, 5.0f);
const glm::vec3 InFront(0.0f, 7.0f, -8.0f);
const glm::vec3 Red(1.0f, 0.1f, 0.1f);

// A real world and renderer. Each test empties the world and places only
// what it needs in front of the camera, which follows the ship at (3, 18, 0)
// looking along +z from 20 units behind it.
class RendererTest : public testing::Test {
protected:
    explicit RendererTest(const std::string& settings = "LevelsEnabled=0\n") : m_Dir(settings)
    {
        GLFWwindow* window = OrbivaneTest::ensureGLContext();
        std::srand(7);
        m_World = OrbivaneTest::quietWorld(Width, Height);
        m_Renderer = makeRenderer(Width, Height);
        // The game's window has the renderer's size, and the overlay is drawn into it.
        glfwSetWindowSize(window, Width, Height);
        glfwSwapBuffers(window);
        glViewport(0, 0, Width, Height);
        m_World->m_Asteroids.clear();
        m_World->m_Lights.clear();
        m_World->m_Ship.m_Position = glm::vec3(3.0f, 18.0f, 0.0f);
        m_World->m_Ship.updateModelMatrix();
        // Far behind the camera, so that its own light and shape stay out of the way.
        m_World->m_BlackHole.m_Position = glm::vec3(0.0f, 0.0f, -400.0f);
    }

    std::unique_ptr<Orbivane::Rendering::Renderer> makeRenderer(unsigned width, unsigned height) const
    {
        std::unique_ptr<Orbivane::Rendering::Renderer> renderer;
        OrbivaneTest::consoleOf([&] {
            renderer = std::make_unique<Orbivane::Rendering::Renderer>(
                width, height, m_World, std::make_shared<Orbivane::Controls>(width, height, &m_World->m_Ship, m_World));
        });
        return renderer;
    }

    std::shared_ptr<Asteroid> addAsteroid(const glm::vec3& position)
    {
        m_World->m_Asteroids.push_back(std::make_shared<Asteroid>(position));
        return m_World->m_Asteroids.back();
    }

    std::shared_ptr<Sun> addSun(const glm::vec3& position, const glm::vec3& color)
    {
        std::shared_ptr<Sun> sun;
        OrbivaneTest::consoleOf([&] { sun = std::make_shared<Sun>(position, color); });
        m_World->m_Lights.push_back(sun);
        return sun;
    }

    // A rock at `position` and its pixel on screen.
    glm::ivec2 rockInView(const glm::vec3& position = RockPosition)
    {
        addAsteroid(position);
        m_Renderer->prepareFrame();
        return pixelOf(position);
    }

    // Geometry, lighting and ambient of one frame, then the given output pixel;
    // `adjust` runs after the frame's culling, before the passes.
    glm::vec4 litPixel(const glm::ivec2& pixel, bool withAmbient = true, const std::function<void()>& adjust = [] {})
    {
        m_Renderer->prepareFrame();
        adjust();
        m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);
        m_Renderer->m_LightingPass->render(m_Renderer->m_CameraPosition);
        if (withAmbient) {
            m_Renderer->m_AmbientPass->render();
        }
        return readOutput(pixel);
    }

    glm::vec4 readOutput(const glm::ivec2& pixel) const
    {
        return OrbivaneTest::readPixel(m_Renderer->m_OutputFBO, pixel.x, pixel.y);
    }

    // One G-buffer attachment at a pixel: 0 position, 1 colour, 2 normal.
    glm::vec4 gBufferAt(const glm::ivec2& pixel, int attachment) const
    {
        return OrbivaneTest::readPixel(m_Renderer->m_GBuffer.m_FBO, pixel.x, pixel.y, attachment);
    }

    glm::vec3 onAxis(float distanceFromEye) const
    {
        return m_Renderer->m_Camera.m_Eye + glm::vec3(0.0f, 0.0f, distanceFromEye);
    }

    glm::ivec2 pixelOf(const glm::vec3& position, const glm::vec2& sceneSize = glm::vec2(Width, Height)) const
    {
        const glm::vec4 clip = m_Renderer->m_ProjectionMatrix * m_Renderer->m_ViewMatrix * glm::vec4(position, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::ivec2((ndc * 0.5f + 0.5f) * sceneSize);
    }

    OrbivaneTest::TempWorkDir m_Dir;
    std::shared_ptr<Orbivane::Worlds::World> m_World;
    std::unique_ptr<Orbivane::Rendering::Renderer> m_Renderer;
};

// A sun lights the faces turned towards it in its colour, also with the
// camera inside its light volume; a volume out of view leaves only the head
// light and ambient, exactly as without the sun.
TEST_F(RendererTest, SunLightsTheFacesTurnedTowardsItInItsColour)
{
    const glm::ivec2 rock = rockInView();
    const glm::vec4 unlit = litPixel(rock);
    const auto sun = addSun(RockPosition + InFront, Red);
    const glm::vec4 facing = litPixel(rock);
    EXPECT_GT(facing.r, unlit.r + 0.2f);
    EXPECT_GT(facing.r, 3.0f * facing.g);
    EXPECT_EQ(litPixel(rock, true, [&] { sun->m_LightVisible = false; }), unlit);

    sun->m_Position = RockPosition + glm::vec3(0.0f, 0.0f, 8.0f);
    EXPECT_NEAR(litPixel(rock).r, unlit.r, 0.02f) << "lit from behind";

    sun->m_Position = m_Renderer->m_CameraPosition + glm::vec3(2.0f, 0.0f, 0.0f);
    ASSERT_LT(glm::length(sun->m_Position - m_Renderer->m_CameraPosition), sun->m_LightRadius);
    EXPECT_GT(litPixel(rock).r, unlit.r + 0.05f) << "camera inside the light volume";
}

TEST_F(RendererTest, LightsAddUpAndTheAmbientTermOnlyAdds)
{
    const glm::ivec2 rock = rockInView();
    const auto left = addSun(RockPosition + InFront + glm::vec3(-4.0f, 0.0f, 0.0f), Red);
    const auto right = addSun(RockPosition + InFront + glm::vec3(4.0f, 0.0f, 0.0f), glm::vec3(0.1f, 0.1f, 1.0f));
    const glm::vec4 both = litPixel(rock, false);
    m_Renderer->m_AmbientPass->render();
    const glm::vec3 ambient = glm::vec3(readOutput(rock) - both);
    const glm::vec3 rockColour(gBufferAt(rock, 1));
    left->m_LightColor = glm::vec3(0.0f);
    const glm::vec4 rightOnly = litPixel(rock, false);
    left->m_LightColor = Red;
    right->m_LightColor = glm::vec3(0.0f);
    const glm::vec4 leftOnly = litPixel(rock, false);
    m_Renderer->m_AmbientPass->render();
    const glm::vec4 leftWithAmbient = readOutput(rock);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(both[c], leftOnly[c] + rightOnly[c], 1e-3f) << "channel " << c;
        EXPECT_GT(leftWithAmbient[c], leftOnly[c]) << "channel " << c;
    }
    EXPECT_GT(leftOnly.r, 0.1f);
    EXPECT_GT(rightOnly.b, 0.1f);
    // Unlit matter keeps only a small share of its colour.
    EXPECT_TRUE(glm::all(glm::lessThanEqual(ambient, 0.25f * rockColour))) << ambient.r << " of " << rockColour.r;
}

// The head light shines ahead of the ship only, in a cone two radians wide:
// a rock 75 degrees off the ship's heading gets none of its light.
TEST_F(RendererTest, HeadLightShinesAheadOfTheShipWithinItsCone)
{
    const glm::vec3 ship = m_World->m_Ship.m_Position;
    const glm::ivec2 ahead = rockInView(ship + glm::vec3(5.0f, 0.0f, 25.0f));
    const glm::ivec2 offCone = rockInView(ship + 15.0f * glm::vec3(std::sin(1.31f), 0.0f, std::cos(1.31f)));
    // The world's step keeps the head light on the ship; here it is set as that step would.
    m_World->m_SpotLight.setModelMatrix(m_World->m_Ship.m_ModelMatrix);
    m_World->m_SpotLight.setPosition(ship);
    const auto lightAt = [this](const glm::ivec2& pixel, float heading) {
        m_World->m_SpotLight.m_Direction = heading * m_World->m_Ship.getDirection();
        return glm::vec3(litPixel(pixel));
    };
    const glm::vec3 lit = lightAt(ahead, 1.0f), behind = lightAt(ahead, -1.0f);
    EXPECT_GT(lit.r + lit.g + lit.b, 3.0f * (behind.r + behind.g + behind.b) + 0.1f);
    EXPECT_NEAR(glm::length(lightAt(offCone, 1.0f) - lightAt(offCone, -1.0f)), 0.0f, 1e-3f);
}

// A sun's light fades to nothing within its 30-unit reach: just inside it a
// surface gets almost none, so no rim shows where the light ends.
TEST_F(RendererTest, SunLightFadesOutBeforeItsReach)
{
    const glm::ivec2 rock = rockInView();
    const glm::vec4 dark = litPixel(rock);
    const glm::vec3 surface(gBufferAt(rock, 0));
    const glm::vec3 normal(gBufferAt(rock, 2));
    const auto sun = addSun(surface, Red);
    const auto lightAt = [&](float distance) {
        sun->m_Position = surface + distance * normal;
        // Its sphere would hide the rock; its light is what is measured.
        return litPixel(rock, true, [&] { sun->m_Visible = false; }).r - dark.r;
    };
    const float halfway = lightAt(15.0f);
    EXPECT_GT(halfway, 0.05f);
    EXPECT_LT(lightAt(29.0f), 0.03f * halfway);
}

TEST_F(RendererTest, GBufferAttachmentsHaveTheirFormats)
{
    const auto& gBuffer = m_Renderer->m_GBuffer;
    const GLint expected[] = {GL_RGBA32F, GL_RGBA8, GL_RGBA16F, GL_RGBA16F, GL_RGBA32F, GL_DEPTH_COMPONENT32F};
    for (int i = 0; i < 6; ++i) {
        GLint format = 0;
        const GLuint texture = i < 5 ? gBuffer.m_Textures[i] : gBuffer.m_DepthTexture;
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, expected[i]) << "attachment " << i;
    }
}

// Culling, with the camera looking along +z from (3, 18, -20).
TEST_F(RendererTest, SpheresAreCulledOnlyWhenWhollyOutsideAndEachHitIsCounted)
{
    m_Renderer->prepareFrame();
    const float nearPlane = m_Renderer->m_Camera.m_NearPlane;
    const auto touchesNear = addAsteroid(onAxis(nearPlane - 1.5f));
    touchesNear->m_Radius = 2.0f;
    const auto behindNear = addAsteroid(onAxis(nearPlane - 1.5f));
    behindNear->m_Radius = 1.0f;
    const auto beyondFar = addAsteroid(onAxis(m_Renderer->m_Camera.m_FarPlane + 2.0f));
    beyondFar->m_Radius = 1.0f;
    // Its sphere lies behind the camera, but its light reaches far into view.
    const auto sunBehind = addSun(onAxis(-10.0f), Red);
    // Far behind: its sphere and its light volume count as two hits.
    addSun(onAxis(-200.0f), Red);

    const auto prepare = [this] { return OrbivaneTest::consoleOf([this] { m_Renderer->prepareFrame(); }); };
    const auto visibility = [&] {
        return std::vector<bool>{touchesNear->m_Visible, behindNear->m_Visible, beyondFar->m_Visible,
                                 sunBehind->m_Visible, sunBehind->m_LightVisible};
    };
    const std::vector<bool> allVisible(5, true);
    EXPECT_EQ(prepare(), "");
    EXPECT_EQ(visibility(), allVisible);
    m_World->m_CullingEnabled = true;
    EXPECT_EQ(prepare(), "Culled 5 objects\n");
    EXPECT_EQ(visibility(), (std::vector<bool>{true, false, false, false, true}));
    m_World->m_CullingEnabled = false;
    EXPECT_EQ(prepare(), "");
    EXPECT_EQ(visibility(), allVisible);
}

TEST_F(RendererTest, CulledRocksLeaveNoTraceWhileTheShipAlwaysDraws)
{
    const auto inView = addAsteroid(RockPosition);
    const auto culled = addAsteroid(RockPosition);
    m_World->m_CullingEnabled = true;
    OrbivaneTest::consoleOf([this] { m_Renderer->prepareFrame(); });
    culled->m_Position = onAxis(-30.0f);
    OrbivaneTest::consoleOf([this] { m_Renderer->prepareFrame(); });
    // Moved back into view after culling: a culled rock must not be drawn.
    culled->m_Position = RockPosition + glm::vec3(-14.0f, 0.0f, 0.0f);
    culled->update(m_Renderer->m_ProjectionMatrix * m_Renderer->m_ViewMatrix);
    ASSERT_FALSE(culled->m_Visible);
    m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);

    EXPECT_EQ(gBufferAt(pixelOf(RockPosition), 0).w, 1.0f);
    EXPECT_EQ(gBufferAt(pixelOf(culled->m_Position), 0).w, 0.0f);
    EXPECT_NEAR(gBufferAt(pixelOf(m_World->m_Ship.m_Position), 0).z, m_World->m_Ship.m_Position.z, 3.0f);
}

// Whatever the culling switch says, a rock and a light volume behind the
// camera cost no draw, while culling off still marks them visible.
TEST_F(RendererTest, BodiesThatCannotReachTheScreenAreNotDrawn)
{
    const auto primitivesOf = [](const std::function<void()>& pass) {
        GLuint query = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        pass();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint primitives = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
        glDeleteQueries(1, &query);
        return primitives;
    };
    const auto geometry = [&] {
        return primitivesOf([this] {
            m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);
        });
    };
    const auto lighting = [&] {
        return primitivesOf([this] { m_Renderer->m_LightingPass->render(m_Renderer->m_CameraPosition); });
    };
    m_Renderer->prepareFrame();
    const GLuint withoutBodies = geometry();
    const auto rock = addAsteroid(onAxis(-30.0f));
    const auto sun = addSun(onAxis(-200.0f), Red);
    m_Renderer->prepareFrame();
    ASSERT_TRUE(rock->m_Visible && sun->m_Visible && sun->m_LightVisible);
    EXPECT_EQ(geometry(), withoutBodies);
    EXPECT_EQ(lighting(), 2u) << "the head light's quad only";
    rock->m_Position = RockPosition;
    m_Renderer->prepareFrame();
    EXPECT_GT(geometry(), withoutBodies);
}

// Both engines and the black hole reach the G-buffer: on each one's centre
// pixel lies a surface within its reach of that centre.
TEST_F(RendererTest, BothEnginesAndTheBlackHoleAreDrawn)
{
    m_World->m_BlackHole.m_Position = RockPosition;
    m_Renderer->prepareFrame();
    m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);
    const std::tuple<const char*, Entity*, float> bodies[] = {
        {"left engine", m_World->m_LeftEngine.get(), 2.0f},
        {"right engine", m_World->m_RightEngine.get(), 2.0f},
        {"black hole", &m_World->m_BlackHole, 10.5f}};
    for (const auto& [name, body, reach] : bodies) {
        const glm::vec3 centre(body->m_ModelMatrix[3]);
        const glm::ivec2 pixel = pixelOf(centre);
        const glm::vec4 surface = gBufferAt(pixel, 0);
        EXPECT_EQ(surface.w, 1.0f) << name;
        EXPECT_LT(glm::distance(glm::vec3(surface), centre), reach) << name;
    }
}

// A message screen leaves the frame clock alone: the next full frame's
// particles age by the whole time it was up. With no diagnostics asked
// for, nothing is written to out/.
TEST_F(RendererTest, MessageScreensLeaveTheClockAndNothingIsWrittenUnasked)
{
    fs::create_directory(m_Dir.path() / "out");
    glfwSetTime(1.0);
    m_Renderer->render(Playing);
    glfwSetTime(4.0);
    m_Renderer->render(Dead);
    EXPECT_NEAR(m_Renderer->m_LastTime, 1.0, 0.05);
    glfwSetTime(4.5);
    m_Renderer->render(Playing);
    EXPECT_NEAR(m_Renderer->m_LastTime, 4.5, 0.05);
    EXPECT_TRUE(fs::is_empty(m_Dir.path() / "out"));
}

// The exhaust leaves 3.5 units above the ship, straight above it on screen,
// and streams backwards.
TEST_F(RendererTest, ExhaustLeavesAboveTheShipAndStreamsBackwards)
{
    m_Renderer->render(Playing);
    const auto& particles = m_Renderer->m_ParticleSystem;
    const glm::vec3 ship = m_World->m_Ship.getPosition();
    const glm::ivec2 shipPixel = pixelOf(ship), emitterPixel = pixelOf(particles.m_GenerationPosition);
    EXPECT_NEAR(glm::distance(particles.m_GenerationPosition, ship), 3.5f, 1e-3f);
    EXPECT_NEAR(emitterPixel.x, shipPixel.x, 1);
    EXPECT_GT(emitterPixel.y, shipPixel.y);
    EXPECT_LT(glm::dot(particles.m_GenerationMinimumVelocity, m_World->m_Ship.getDirection()), -0.9f);
}

// A new window size rebuilds what depends on it without loading any shader or
// texture again and deletes what it replaces: with a rock and its sun beyond
// the old size, the lit frame is the one a renderer made at the new size
// draws. A size too small for the glow chain or too large for the driver is
// turned down, saying which, and the last good size stays in use.
TEST_F(RendererTest, ResizeDrawsTheLitFrameOfTheNewSizeWithoutLoadingAgainOrLeaking)
{
    const glm::vec3 rock(-10.0f, 24.0f, 10.0f);
    addAsteroid(rock);
    addSun(rock + glm::vec3(-4.0f, 2.0f, -8.0f), Red);
    const GLuint replaced[] = {m_Renderer->m_GBuffer.m_Textures[0], m_Renderer->m_BrightPass->m_BlurTextures[0]};
    EXPECT_EQ(OrbivaneTest::consoleOf([this] { EXPECT_TRUE(m_Renderer->resize(300, 120)); }), "");
    for (const GLuint texture : replaced) {
        EXPECT_FALSE(glIsTexture(texture));
    }
    // Message screens draw with the viewport as it is.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 300, 120}));
    const auto frustum = m_Renderer->m_Camera.getFrustumInfo();
    EXPECT_FLOAT_EQ(frustum.m_FarWidth / frustum.m_FarHeight, 2.5f);
    const auto litFrame = [](Orbivane::Rendering::Renderer& renderer) {
        renderer.prepareFrame();
        renderer.m_GeometryPass->render(renderer.m_ViewMatrix, renderer.m_ProjectionMatrix);
        renderer.m_LightingPass->render(renderer.m_CameraPosition);
        renderer.m_AmbientPass->render();
        renderer.m_BrightPass->blur();
        renderer.m_BrightPass->blend();
        renderer.m_LenseFlarePass->render();
        std::vector<float> pixels(4 * 300 * 120);
        glGetTextureImage(renderer.m_OutputTexture, 0, GL_RGBA, GL_FLOAT, 4 * pixels.size(), pixels.data());
        return pixels;
    };
    EXPECT_TRUE(litFrame(*m_Renderer) == litFrame(*makeRenderer(300, 120)));
    const std::pair<glm::uvec2, std::string> refusals[] = {
        {{8, 8}, "8x8 is too small to draw; the picture stays 300x120"},
        {{17000, 300}, "17000x300 is too large for the OpenGL driver (at most "}};
    for (const auto& refusal : refusals) {
        const std::string refused =
            OrbivaneTest::consoleOf([&] { EXPECT_FALSE(m_Renderer->resize(refusal.first.x, refusal.first.y)); });
        EXPECT_EQ(refused.rfind("Window size " + refusal.second, 0), 0u) << refused;
    }
    EXPECT_EQ(m_Renderer->m_BrightPass->m_Width, 300u);
    m_Renderer->render(Playing);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// With the ship blinked out of a frame, the rock on the line of fire shows
// under the reticle; the laser destroys it, a beam runs from the guns for a
// moment, and sparks burst where the rock was.
TEST_F(RendererTest, TheReticleMarksWhatTheLaserHitsAndTheHitShows)
{
    const glm::vec3 ahead = m_World->m_Ship.m_Position + glm::vec3(0.0f, 0.0f, 60.0f);
    addAsteroid(ahead);
    // No exhaust, and the black hole in view far ahead with no arrow to it:
    // their flames and its colour are the sparks' too.
    m_Renderer->m_ParticleSystem.m_NumberToGenerate = 0;
    m_World->m_BlackHole.m_Position = ahead + glm::vec3(80.0f, 0.0f, 340.0f);
    GameState blinkedOut = Playing;
    blinkedOut.graceLeft = 1.05f;
    glfwSetTime(1.0);
    m_Renderer->render(blinkedOut);
    const auto spot = [this](const std::function<bool(const glm::vec4&)>& test) {
        return OrbivaneTest::spotWhere(m_Renderer->m_OutputFBO, Width, Height, test);
    };
    // The reticle is part of the overlay, drawn into the window, whose 8 bits
    // give the life bar's green (0.85) as a little more.
    const auto reticle = OrbivaneTest::spotWhere(
        0, Width, Height, [](const glm::vec4& c) { return c.g > 0.88f && c.g - c.r > 0.35f && c.g - c.b > 0.25f; });
    const auto rock = OrbivaneTest::spotWhere(m_Renderer->m_GBuffer.m_FBO, Width, Height, [&](const glm::vec4& p) {
        return p.w == 1.0f && glm::distance(glm::vec3(p), ahead) < 6.0f;
    });
    ASSERT_GT(reticle.count, 20);
    ASSERT_GT(rock.count, 20) << "hidden behind the ship";
    EXPECT_LT(glm::distance(reticle.centre, rock.centre), 1.0f);

    m_World->m_LastHitTime = 0.0;
    m_World->m_Ship.m_Shooting = true;
    glfwSetTime(1.0);
    m_World->shoot();
    ASSERT_TRUE(m_World->m_Asteroids.empty());
    const auto beam = [](const glm::vec4& c) { return c.r > 1.2f && c.g < 0.3f * c.r; };
    const auto sparks = [&](const glm::vec4& c) { return c.r > 0.3f && c.r > 1.5f * c.b && c.g > 0.3f * c.r; };
    const glm::vec2 rockPixel(pixelOf(ahead));
    // The ship stays blinked out: its paint is the sparks' colour. A tenth of a
    // second after the hit the sparks cover about ten pixels whatever their
    // random spread; sooner they may fall on as few as five.
    for (const auto& [time, beamShows] : {std::pair(1.1, true), std::pair(1.3, false)}) {
        glfwSetTime(time);
        m_Renderer->render(blinkedOut);
        EXPECT_EQ(spot(beam).count > 4, beamShows) << time;
        const auto burst = spot(sparks);
        EXPECT_GT(burst.count, 5) << time;
        EXPECT_LT(glm::distance(burst.centre, rockPixel), 4.0f) << time;
    }
}

// While collisions cannot hurt it the ship blinks; an arrow at the window's
// edge points the way to the black hole whenever it is off screen.
TEST_F(RendererTest, TheShipBlinksInItsGraceAndAnArrowLeadsToTheBlackHole)
{
    const glm::vec3 ship = m_World->m_Ship.m_Position;
    for (const auto& [graceLeft, shown] : {std::pair(0.0f, true), std::pair(1.05f, false), std::pair(1.2f, true)}) {
        GameState state = Playing;
        state.graceLeft = graceLeft;
        m_Renderer->render(state);
        EXPECT_EQ(gBufferAt(pixelOf(ship), 0).w, shown ? 1.0f : 0.0f) << graceLeft;
    }
    const std::tuple<glm::vec3, glm::vec2> cases[] = {
        {ship + glm::vec3(-300, 0, 20), {1, 0}}, {ship + glm::vec3(0, 300, 20), {0, 1}},
        {ship + glm::vec3(0, 0, -400), {0, -1}}, {ship + glm::vec3(0, 0, 60), {0, 0}}};
    const glm::vec2 centre(Width / 2.0f, Height / 2.0f);
    for (const auto& [blackHole, way] : cases) {
        m_World->m_BlackHole.m_Position = blackHole;
        m_Renderer->render(Playing);
        const auto arrow = OrbivaneTest::spotWhere(0, Width, Height, [](const glm::vec4& c) {
            return c.r > 0.85f && c.g > 0.6f && c.g < 0.85f && c.b < 0.45f;
        });
        EXPECT_EQ(arrow.count > 20, way != glm::vec2(0.0f)) << way.x << ", " << way.y;
        if (way != glm::vec2(0.0f)) {
            EXPECT_GT(glm::dot(glm::normalize(arrow.centre - centre), way), 0.95f) << way.x << ", " << way.y;
        }
    }
}

// The help over a black sky, as the window shows it: the pixels where the
// text inks a black background. A scene drawn smaller must not change them,
// at the first size or after a resize.
TEST_F(RendererTest, OverlayKeepsTheWindowsResolutionAtEveryScale)
{
    GLFWwindow* window = OrbivaneTest::ensureGLContext();
    m_World->m_Skybox.m_Cubemap = 0;
    const auto inkOverBlack = [&](unsigned width, unsigned height, float scale) {
        glfwSetWindowSize(window, static_cast<int>(width), static_cast<int>(height));
        glfwSwapBuffers(window);
        EXPECT_TRUE(m_Renderer->resize(width, height) && m_Renderer->setSceneScale(scale));
        m_Renderer->render(Playing);
        std::vector<unsigned char> shown[2];
        for (const bool help : {true, false}) {
            m_Renderer->m_GUIPass->m_ShowHelp = help;
            m_Renderer->showAgain();
            shown[help ? 0 : 1].resize(width * height * 3);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGB, GL_UNSIGNED_BYTE,
                         shown[help ? 0 : 1].data());
        }
        std::map<std::size_t, int> ink;
        for (std::size_t i = 0; i < shown[0].size(); i += 3) {
            if (shown[1][i] + shown[1][i + 1] + shown[1][i + 2] == 0 && shown[0][i] != 0) {
                ink[i / 3] = shown[0][i] << 16 | shown[0][i + 1] << 8 | shown[0][i + 2];
            }
        }
        return ink;
    };
    for (const auto& [width, height] : {std::pair(Width, Height), {320u, 180u}}) {
        const auto sharp = inkOverBlack(width, height, 1.0f);
        const auto scaled = inkOverBlack(width, height, 0.5f);
        // Where the scene's edges stretch out, a pixel's background may be black at one scale only.
        std::size_t both = 0, differing = 0;
        for (const auto& [pixel, colour] : sharp) {
            both += scaled.count(pixel);
            differing += scaled.count(pixel) == 1 && scaled.at(pixel) != colour ? 1 : 0;
        }
        EXPECT_GT(sharp.size(), 1000u);
        EXPECT_GE(both, sharp.size() * 95 / 100) << width << "x" << height;
        EXPECT_EQ(differing, 0u) << width << "x" << height;
    }
    glfwSetWindowSize(window, 64, 64);
}

// The scene's targets take the scaled size, rounded, and never less than a
// glow chain can be made for, and the scene fills them: a rock ahead lies
// where the camera puts it. The read-out's share follows the width.
TEST_F(RendererTest, SceneIsDrawnAtItsScaleOfTheWindow)
{
    const auto sizeOf = [](GLuint texture) {
        GLint size[2] = {};
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_WIDTH, &size[0]);
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_HEIGHT, &size[1]);
        return std::pair<unsigned, unsigned>(size[0], size[1]);
    };
    const std::tuple<unsigned, unsigned, float, std::pair<unsigned, unsigned>, int> cases[] = {
        {Width, Height, 0.5f, {100, 50}, 50}, {Width, Height, 0.333f, {67, 33}, 34},
        {301, 101, 1.0f, {301, 101}, 100}, {301, 101, 0.25f, {75, 25}, 25}, {40, 20, 0.25f, {12, 12}, 30}};
    const auto rock = addAsteroid(onAxis(12.0f) + glm::vec3(4.0f, 2.0f, 0.0f));
    for (const auto& [width, height, scale, scene, percent] : cases) {
        ASSERT_TRUE(m_Renderer->resize(width, height) && m_Renderer->setSceneScale(scale));
        for (const GLuint texture : {m_Renderer->m_GBuffer.m_Textures[0], m_Renderer->m_GBuffer.m_DepthTexture,
                                     m_Renderer->m_OutputTexture}) {
            EXPECT_EQ(sizeOf(texture), scene) << width << "x" << height << " at " << scale;
        }
        EXPECT_EQ(m_Renderer->m_BrightPass->m_Width, scene.first);
        EXPECT_EQ(m_Renderer->scenePercent(), percent);
        m_Renderer->render(Playing);
        EXPECT_EQ(gBufferAt(pixelOf(rock->m_Position, glm::vec2(scene.first, scene.second)), 0).w, 1.0f);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(std::vector<GLint>(viewport + 2, viewport + 4), (std::vector<GLint>{GLint(width), GLint(height)}));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A rock and a sun fly from far away up to the camera through every mesh of
// their shapes. At every step, drawing them from the mesh chosen changes the
// scene (the game's first window, drawn at half its size) by no more than
// moving them by half a pixel would, give or take one pixel wholly changed:
// no switch of mesh can show as a jump.
TEST_F(RendererTest, FarBodiesTakeCoarserMeshesWithoutAVisibleChange)
{
    constexpr int width = 320, height = 160;
    ASSERT_TRUE(m_Renderer->resize(2 * width, 2 * height) && m_Renderer->setSceneScale(0.5f));
    const std::shared_ptr<Entity> bodies[] = {addAsteroid(onAxis(400.0f)), addSun(onAxis(400.0f), Red)};
    const auto picture = [this] {
        m_Renderer->prepareFrame();
        m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);
        m_Renderer->m_LightingPass->render(m_Renderer->m_CameraPosition);
        m_Renderer->m_AmbientPass->render();
        m_Renderer->m_BrightPass->blur();
        m_Renderer->m_BrightPass->blend();
        std::vector<unsigned char> rgb(width * height * 3);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Renderer->m_OutputFBO);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    // Squared error, and pixels that differ by more than 4/255 in a channel.
    const auto difference = [](const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
        std::pair<long, int> sum{0, 0};
        for (std::size_t i = 0; i < a.size(); i += 3) {
            int largest = 0;
            for (std::size_t c = i; c < i + 3; ++c) {
                sum.first += (a[c] - b[c]) * (a[c] - b[c]);
                largest = std::max(largest, std::abs(a[c] - b[c]));
            }
            sum.second += largest > 4 ? 1 : 0;
        }
        return sum;
    };
    std::set<Orbivane::Models::Model*> drawn[2];
    for (float distance = 400.0f; distance > 1.5f; distance *= 0.9f) {
        bodies[0]->m_Position = onAxis(distance + 10.0f) + glm::vec3(-0.03f * distance - 1.0f, 0.0f, 0.0f);
        bodies[1]->m_Position = onAxis(distance) + glm::vec3(0.05f * distance, 0.0f, 0.0f);
        const auto chosen = picture();
        std::shared_ptr<Orbivane::Models::DetailLevels> levels[2];
        for (int i = 0; i < 2; ++i) {
            drawn[i].insert(bodies[i]->m_Model.get());
            levels[i] = std::exchange(bodies[i]->m_DetailLevels, nullptr);
            bodies[i]->m_Model = levels[i]->m_Levels.front().model;
        }
        const auto finest = picture();
        for (const auto& body : bodies) {
            const float pixelsPerUnit = m_Renderer->m_ProjectionMatrix[1][1] * 0.5f * height /
                (body->m_Position.z - m_Renderer->m_CameraPosition.z);
            body->m_Position.x += 0.5f / pixelsPerUnit;
        }
        const auto moved = difference(picture(), finest);
        const auto switched = difference(chosen, finest);
        EXPECT_LE(switched.first, moved.first + 3 * 255 * 255) << "at " << distance;
        EXPECT_LE(switched.second, moved.second + 1) << "at " << distance;
        for (int i = 0; i < 2; ++i) {
            bodies[i]->m_DetailLevels = levels[i];
        }
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(drawn[i].size(), bodies[i]->m_DetailLevels->m_Levels.size()) << "body " << i;
    }
}

// Whole frames as the game draws them, with both diagnostics switched on.
class DiagnosticsTest : public RendererTest {
protected:
    DiagnosticsTest() : RendererTest("LevelsEnabled=0\nDumpGBuffer=1\nMonitorPasses=1\n") {}
};

// The diagnostic files keep their sizes: the scene stays at full size, with
// either diagnostic on.
TEST_F(DiagnosticsTest, FullFramesRewriteThirteenImagesAndAppendOneTimingLineEach)
{
    EXPECT_FALSE(m_Renderer->setSceneScale(0.5f));
    const fs::path out = m_Dir.path() / "out";
    m_Renderer->render(Playing);
    EXPECT_FALSE(fs::exists(out));
    fs::create_directory(out);
    std::vector<std::pair<std::string, std::uintmax_t>> images;
    for (const char* name : {"position", "diffuse", "normal", "parameter", "lightSrc"}) {
        images.emplace_back(std::string("gbuffer_") + name + ".bmp", 54u + 4u * Width * Height);
    }
    for (unsigned step = 0; step < 8; ++step) {
        const auto size = Orbivane::Rendering::BrightPass::chainSize(step, Width, Height);
        images.emplace_back("brightPass_Tex" + std::to_string(step) + ".bmp", 54u + 4u * size.width * size.height);
    }
    for (int frame = 0; frame < 3; ++frame) {
        for (const auto& image : images) {
            fs::remove(out / image.first);
        }
        m_Renderer->render(Playing);
        m_Renderer->render(Dead);
        for (const auto& image : images) {
            EXPECT_EQ(fs::exists(out / image.first) ? fs::file_size(out / image.first) : 0u, image.second)
                << image.first;
        }
    }

    // Each G-buffer image shows its own attachment.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_Renderer->m_GBuffer.m_FBO);
    for (int attachment = 0; attachment < 5; ++attachment) {
        glReadBuffer(GL_COLOR_ATTACHMENT0 + attachment);
        Orbivane::Rendering::saveFramebufferBMP(Width, Height, "attachment.bmp");
        EXPECT_EQ(m_Dir.readFile("out/" + images[attachment].first), m_Dir.readFile("attachment.bmp"))
            << images[attachment].first;
    }

    // One line of six integer pass times per full frame, none for the message screen.
    std::istringstream timings(m_Dir.readFile("out/passes_time_elapsed.txt"));
    int lines = 0;
    for (std::string line; std::getline(timings, line); ++lines) {
        EXPECT_TRUE(std::regex_match(line, std::regex("-?[0-9]+(;-?[0-9]+){5}"))) << line;
    }
    EXPECT_EQ(lines, 3);
    for (const char* diagnostic : {"DumpGBuffer=1\n", "MonitorPasses=1\n"}) {
        m_Dir.useSettings(diagnostic);
        EXPECT_FALSE(makeRenderer(Width, Height)->setSceneScale(0.5f)) << diagnostic << "alone";
    }
}

TEST_F(DiagnosticsTest, LevelIntroTakesPrecedenceOverEveryOtherScreen)
{
    GLFWwindow* window = OrbivaneTest::ensureGLContext();
    glfwSetWindowSize(window, Width, Height);
    // The back buffer takes the new size at the next swap.
    glfwSwapBuffers(window);
    const auto screen = [this](const GameState& state) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        m_Renderer->render(state);
        std::vector<unsigned char> pixels(Width * Height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const auto introScreen = screen(GameState{true, 1.0f, true, 1, "First", 0, 0, false, false});
    EXPECT_EQ(screen(GameState{false, 1.0f, true, 1, "First", 0, 0, true, true}), introScreen) << "all screens at once";
    EXPECT_NE(screen(GameState{true, 1.0f, false, 0, "", 0, 0, false, true}), introScreen) << "game won";
    glfwSetWindowSize(window, 64, 64);
}

TEST(FramebufferDump, WritesA32BitBottomUpBmpClampingFloatColours)
{
    OrbivaneTest::ensureGLContext();
    const OrbivaneTest::TempWorkDir dir;
    // Bottom row: over-bright and negative; top row: exact bytes.
    const float pixels[] = {2.0f, -1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f};
    GLuint texture = 0, fbo = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA32F, 2, 2);
    glTextureSubImage2D(texture, 0, 0, 0, 2, 2, GL_RGBA, GL_FLOAT, pixels);
    glCreateFramebuffers(1, &fbo);
    glNamedFramebufferTexture(fbo, GL_COLOR_ATTACHMENT0, texture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glReadBuffer(GL_COLOR_ATTACHMENT0);

    Orbivane::Rendering::saveFramebufferBMP(2, 2, "out\\missing.bmp");
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    Orbivane::Rendering::saveFramebufferBMP(2, 2, "dump.bmp");
    const std::string bytes = dir.readFile("dump.bmp");

    const unsigned char expected[70] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                         // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0, // info header
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        128, 0, 255, 255, 0, 0, 0, 0,      // bottom row, blue-green-red-alpha
        0, 0, 255, 255, 255, 0, 0, 255,    // top row
    };
    EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(expected), sizeof expected));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &texture);
}

}
