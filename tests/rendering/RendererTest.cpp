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
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using Orbivane::Entities::Asteroid;
using Orbivane::Entities::Sun;
using Orbivane::Rendering::Renderer;
using Orbivane::Worlds::World;
using OrbivaneTest::TempWorkDir;

constexpr unsigned Width = 200;
constexpr unsigned Height = 100;

// A real world and renderer. Each test empties the world and places only
// what it needs in front of the camera, which follows the ship at (3, 18, 0)
// looking along +z from 20 units behind it.
class RendererTest : public testing::Test {
protected:
    explicit RendererTest(const std::string& settings = "LevelsEnabled=0\n") : m_Dir(settings)
    {
        OrbivaneTest::ensureGLContext();
        std::srand(7);
        OrbivaneTest::consoleOf([this] {
            m_World = std::make_shared<World>(Width, Height);
            m_Renderer = std::make_unique<Renderer>(
                Width, Height, m_World, std::make_shared<Orbivane::Controls>(Width, Height, &m_World->m_Ship, m_World));
        });
        // The game's window has the renderer's size; the shared test window does not.
        glViewport(0, 0, Width, Height);
        m_World->m_Asteroids.clear();
        m_World->m_Lights.clear();
        m_World->m_Ship.m_Position = glm::vec3(3.0f, 18.0f, 0.0f);
        m_World->m_Ship.updateModelMatrix();
        // Far behind the camera, so that its own light and shape stay out of the way.
        m_World->m_BlackHole.m_Position = glm::vec3(0.0f, 0.0f, -400.0f);
    }

    std::shared_ptr<Asteroid> addAsteroid(const glm::vec3& position)
    {
        auto asteroid = std::make_shared<Asteroid>(position);
        m_World->m_Asteroids.push_back(asteroid);
        return asteroid;
    }

    std::shared_ptr<Sun> addSun(const glm::vec3& position, const glm::vec3& color)
    {
        std::shared_ptr<Sun> sun;
        OrbivaneTest::consoleOf([&] { sun = std::make_shared<Sun>(position, color); });
        m_World->m_Lights.push_back(sun);
        return sun;
    }

    // Geometry, lighting and ambient of one frame, then the given output pixel.
    glm::vec4 litPixel(const glm::ivec2& pixel, bool withAmbient = true)
    {
        m_Renderer->prepareFrame();
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

    glm::ivec2 pixelOf(const glm::vec3& position) const
    {
        const glm::vec4 clip = m_Renderer->m_ProjectionMatrix * m_Renderer->m_ViewMatrix * glm::vec4(position, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::ivec2((ndc * 0.5f + 0.5f) * glm::vec2(Width, Height));
    }

    TempWorkDir m_Dir;
    std::shared_ptr<World> m_World;
    std::unique_ptr<Renderer> m_Renderer;
};

// A rock off to the right of the ship, its face towards the camera; suns
// in front of it sit above the line of sight so that they do not hide it.
const glm::vec3 RockPosition(10.0f, 18.0f, 5.0f);
const glm::vec3 InFront(0.0f, 7.0f, -8.0f);
const glm::vec3 Red(1.0f, 0.1f, 0.1f);

TEST_F(RendererTest, SunLightsTheFacesTurnedTowardsItInItsColour)
{
    addAsteroid(RockPosition);
    m_Renderer->prepareFrame();
    const glm::ivec2 rock = pixelOf(RockPosition);
    const glm::vec4 unlit = litPixel(rock);

    const auto sun = addSun(RockPosition + InFront, Red);
    const glm::vec4 facing = litPixel(rock);
    EXPECT_GT(facing.r, unlit.r + 0.2f);
    EXPECT_GT(facing.r, 3.0f * facing.g);

    sun->m_Position = RockPosition + glm::vec3(0.0f, 0.0f, 8.0f);
    const glm::vec4 away = litPixel(rock);
    EXPECT_NEAR(away.r, unlit.r, 0.02f);
}

TEST_F(RendererTest, LightsAddUpAndTheAmbientTermOnlyAdds)
{
    addAsteroid(RockPosition);
    m_Renderer->prepareFrame();
    const glm::ivec2 rock = pixelOf(RockPosition);
    const auto left = addSun(RockPosition + InFront + glm::vec3(-4.0f, 0.0f, 0.0f), Red);
    const auto right = addSun(RockPosition + InFront + glm::vec3(4.0f, 0.0f, 0.0f), glm::vec3(0.1f, 0.1f, 1.0f));

    const glm::vec4 both = litPixel(rock, false);
    const glm::vec4 withAmbient = readOutput(rock);
    left->m_LightColor = glm::vec3(0.0f);
    const glm::vec4 rightOnly = litPixel(rock, false);
    left->m_LightColor = Red;
    right->m_LightColor = glm::vec3(0.0f);
    const glm::vec4 leftOnly = litPixel(rock, false);
    m_Renderer->m_AmbientPass->render();
    const glm::vec4 leftWithAmbient = readOutput(rock);

    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(both[c], leftOnly[c] + rightOnly[c], 1e-3f) << "channel " << c;
    }
    EXPECT_GT(leftOnly.r, 0.1f);
    EXPECT_GT(rightOnly.b, 0.1f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(leftWithAmbient[c], leftOnly[c]) << "channel " << c;
    }
    EXPECT_GE(withAmbient.r, both.r);
}

TEST_F(RendererTest, CameraInsideALightVolumeStillLights)
{
    addAsteroid(RockPosition);
    m_Renderer->prepareFrame();
    const glm::ivec2 rock = pixelOf(RockPosition);
    const glm::vec4 unlit = litPixel(rock);
    const auto sun = addSun(m_Renderer->m_CameraPosition + glm::vec3(2.0f, 0.0f, 0.0f), Red);
    ASSERT_LT(glm::length(sun->m_Position - m_Renderer->m_CameraPosition), sun->m_LightRadius);
    EXPECT_GT(litPixel(rock).r, unlit.r + 0.05f);
}

TEST_F(RendererTest, LightVolumesOutOfViewLeaveOnlyTheHeadLightAndAmbient)
{
    addAsteroid(RockPosition);
    m_Renderer->prepareFrame();
    const glm::ivec2 rock = pixelOf(RockPosition);
    const glm::vec4 withoutSuns = litPixel(rock);
    const auto sun = addSun(RockPosition + InFront, Red);

    m_Renderer->prepareFrame();
    sun->m_LightVisible = false;
    m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);
    m_Renderer->m_LightingPass->render(m_Renderer->m_CameraPosition);
    m_Renderer->m_AmbientPass->render();
    EXPECT_EQ(readOutput(rock), withoutSuns);
}

TEST_F(RendererTest, HeadLightShinesAheadOfTheShipOnly)
{
    const glm::vec3 ahead = m_World->m_Ship.m_Position + glm::vec3(5.0f, 0.0f, 25.0f);
    const auto rock = addAsteroid(ahead);
    const glm::ivec2 pixel = [&] {
        m_Renderer->prepareFrame();
        return pixelOf(ahead);
    }();
    // The world's step keeps the head light on the ship; here it is set as that step would.
    m_World->m_SpotLight.setModelMatrix(m_World->m_Ship.m_ModelMatrix);
    m_World->m_SpotLight.setPosition(m_World->m_Ship.getPosition());
    m_World->m_SpotLight.m_Direction = m_World->m_Ship.getDirection();
    const glm::vec4 lit = litPixel(pixel);
    m_World->m_SpotLight.m_Direction = -m_World->m_Ship.getDirection();
    const glm::vec4 behind = litPixel(pixel);
    EXPECT_GT(lit.r + lit.g + lit.b, 3.0f * (behind.r + behind.g + behind.b) + 0.1f);
}

TEST_F(RendererTest, GBufferAttachmentsHaveTheirFormats)
{
    const GLint expected[] = {GL_RGBA32F, GL_RGBA8, GL_RGBA16F, GL_RGBA16F, GL_RGBA32F};
    for (int i = 0; i < 5; ++i) {
        GLint format = 0;
        glBindTexture(GL_TEXTURE_2D, m_Renderer->m_GBuffer.m_Textures[i]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, expected[i]) << "attachment " << i;
    }
    GLint depthFormat = 0;
    glBindTexture(GL_TEXTURE_2D, m_Renderer->m_GBuffer.m_DepthTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &depthFormat);
    EXPECT_EQ(depthFormat, GL_DEPTH_COMPONENT32F);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// Culling, with the camera looking along +z from (3, 18, -20).
class CullingTest : public RendererTest {
protected:
    std::string prepareCapturingConsole()
    {
        return OrbivaneTest::consoleOf([this] { m_Renderer->prepareFrame(); });
    }

    glm::vec3 onAxis(float distanceFromEye) const
    {
        return m_Renderer->m_Camera.m_Eye + glm::vec3(0.0f, 0.0f, distanceFromEye);
    }
};

TEST_F(CullingTest, SpheresAreCulledOnlyWhenWhollyOutsideAndEachHitIsCounted)
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

    EXPECT_EQ(prepareCapturingConsole(), "");
    EXPECT_TRUE(behindNear->m_Visible && beyondFar->m_Visible && sunBehind->m_Visible);

    m_World->m_CullingEnabled = true;
    EXPECT_EQ(prepareCapturingConsole(), "Culled 3 objects\n");
    EXPECT_TRUE(touchesNear->m_Visible);
    EXPECT_FALSE(behindNear->m_Visible);
    EXPECT_FALSE(beyondFar->m_Visible);
    EXPECT_FALSE(sunBehind->m_Visible);
    EXPECT_TRUE(sunBehind->m_LightVisible);

    m_World->m_CullingEnabled = false;
    EXPECT_EQ(prepareCapturingConsole(), "");
    EXPECT_TRUE(behindNear->m_Visible && beyondFar->m_Visible && sunBehind->m_Visible);
}

TEST_F(CullingTest, CulledRocksLeaveNoTraceWhileTheShipAlwaysDraws)
{
    const auto inView = addAsteroid(RockPosition);
    const auto culled = addAsteroid(RockPosition);
    m_World->m_CullingEnabled = true;
    prepareCapturingConsole();
    culled->m_Position = onAxis(-30.0f);
    prepareCapturingConsole();
    // Moved back into view after culling: a culled rock must not be drawn.
    culled->m_Position = RockPosition + glm::vec3(-14.0f, 0.0f, 0.0f);
    culled->update(m_Renderer->m_ProjectionMatrix * m_Renderer->m_ViewMatrix);
    ASSERT_FALSE(culled->m_Visible);
    m_Renderer->m_GeometryPass->render(m_Renderer->m_ViewMatrix, m_Renderer->m_ProjectionMatrix);

    const auto positionAt = [this](const glm::ivec2& pixel) {
        return OrbivaneTest::readPixel(m_Renderer->m_GBuffer.m_FBO, pixel.x, pixel.y);
    };
    EXPECT_EQ(positionAt(pixelOf(RockPosition)).w, 1.0f);
    EXPECT_EQ(positionAt(pixelOf(culled->m_Position)).w, 0.0f);
    EXPECT_NEAR(positionAt(pixelOf(m_World->m_Ship.m_Position)).z, m_World->m_Ship.m_Position.z, 3.0f);
}

// Whole frames as the game draws them, with both diagnostics switched on.
class DiagnosticsTest : public RendererTest {
protected:
    DiagnosticsTest() : RendererTest("LevelsEnabled=0\nDumpGBuffer=1\nMonitorPasses=1\n") {}

    fs::path out() const { return m_Dir.path() / "out"; }

    static Orbivane::Worlds::GameState playing()
    {
        Orbivane::Worlds::GameState state;
        state.lifeLeft = 1.0f;
        return state;
    }
};

TEST_F(DiagnosticsTest, FullFramesRewriteThirteenImagesAndAppendOneTimingLineEach)
{
    m_Renderer->render(playing());
    EXPECT_FALSE(fs::exists(out()));

    fs::create_directory(out());
    std::vector<std::pair<std::string, std::uintmax_t>> images;
    for (const char* name : {"position", "normal", "diffuse", "parameter", "lightSrc"}) {
        images.emplace_back(std::string("gbuffer_") + name + ".bmp", 54u + 4u * Width * Height);
    }
    for (unsigned step = 0; step < 8; ++step) {
        const auto size = Orbivane::Rendering::BrightPass::chainSize(step, Width, Height);
        images.emplace_back("brightPass_Tex" + std::to_string(step) + ".bmp", 54u + 4u * size.width * size.height);
    }
    Orbivane::Worlds::GameState dead = playing();
    dead.alive = false;
    for (int frame = 0; frame < 3; ++frame) {
        for (const auto& image : images) {
            fs::remove(out() / image.first);
        }
        m_Renderer->render(playing());
        m_Renderer->render(dead);
        for (const auto& image : images) {
            EXPECT_EQ(fs::exists(out() / image.first) ? fs::file_size(out() / image.first) : 0u, image.second)
                << image.first;
        }
    }

    std::istringstream timings(m_Dir.readFile("out/passes_time_elapsed.txt"));
    std::string line;
    int lines = 0;
    while (std::getline(timings, line)) {
        ++lines;
        std::istringstream columns(line);
        std::string column;
        int count = 0;
        while (std::getline(columns, column, ';')) {
            ++count;
            EXPECT_FALSE(column.empty());
            EXPECT_EQ(column.find_first_not_of("-0123456789"), std::string::npos) << line;
        }
        EXPECT_EQ(count, 6) << line;
    }
    EXPECT_EQ(lines, 3);
}

TEST_F(DiagnosticsTest, LevelIntroTakesPrecedenceOverEveryOtherScreen)
{
    GLFWwindow* window = OrbivaneTest::ensureGLContext();
    glfwSetWindowSize(window, Width, Height);
    // The back buffer takes the new size at the next swap.
    glfwSwapBuffers(window);
    const auto screen = [this](const Orbivane::Worlds::GameState& state) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        m_Renderer->render(state);
        std::vector<unsigned char> pixels(Width * Height * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    Orbivane::Worlds::GameState intro = playing();
    intro.levelIntro = true;
    intro.levelNumber = 1;
    intro.levelName = "First";
    Orbivane::Worlds::GameState everything = intro;
    everything.levelComplete = everything.gameWon = true;
    everything.alive = false;
    Orbivane::Worlds::GameState won = playing();
    won.gameWon = true;

    const auto introScreen = screen(intro);
    EXPECT_EQ(screen(everything), introScreen);
    EXPECT_NE(screen(won), introScreen);
    glfwSetWindowSize(window, 64, 64);
}

TEST(FramebufferDump, WritesA32BitBottomUpBmpClampingFloatColours)
{
    OrbivaneTest::ensureGLContext();
    const TempWorkDir dir;
    GLuint texture = 0;
    GLuint fbo = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Bottom row: over-bright and negative; top row: exact bytes.
    const float pixels[] = {2.0f, -1.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                            1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, 2, 2, 0, GL_RGBA, GL_FLOAT, pixels);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
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
    ASSERT_EQ(bytes.size(), 70u);
    for (std::size_t i = 0; i < 70; ++i) {
        EXPECT_EQ(static_cast<unsigned char>(bytes[i]), expected[i]) << "byte " << i;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteTextures(1, &texture);
}

}
