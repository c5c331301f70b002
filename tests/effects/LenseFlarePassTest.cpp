#include "EffectsFixture.h"

#include "rendering/LenseFlarePass.h"
#include "worlds/World.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using EffectsTest::FrameTarget;
using OrbivaneTest::TempWorkDir;
using Orbivane::Rendering::LenseFlarePass;

constexpr unsigned int Width = 640;
constexpr unsigned int Height = 320;
constexpr float HalfSizes[4] = {0.15f, 0.03f, 0.05f, 0.10f};
constexpr float Placements[4] = {1.0f, 0.5f, -1.0f, -2.0f};

glm::ivec2 pixelOf(const glm::vec2& ndc)
{
    return glm::ivec2((ndc + 1.0f) * 0.5f * glm::vec2(Width, Height));
}

// Lit pixels on the line through `centre` along `step`, up to `reach` away.
int litPixels(const FrameTarget& target, const std::vector<glm::vec4>& pixels, glm::ivec2 centre, glm::ivec2 step,
              int reach)
{
    int lit = 0;
    for (int d = -reach; d <= reach; ++d) {
        const glm::ivec2 p = centre + step * d;
        lit += target.outputAt(pixels, p.x, p.y).r > 0.0f ? 1 : 0;
    }
    return lit;
}

// A world whose only lights are white suns with the given clip-space centres,
// a frame whose emitted-light attachment shows light everywhere, and a lens
// flare pass built with the given settings.
class LenseFlare : public ::testing::Test {
protected:
    void build(const std::string& settings, const std::vector<glm::vec4>& clipCentres)
    {
        m_Dir.useSettings(settings);
        m_World->m_Lights.clear();
        for (const glm::vec4& clip : clipCentres) {
            auto sun = std::make_shared<Orbivane::Entities::Sun>(glm::vec3(0.0f), glm::vec3(1.0f));
            sun->m_ModelViewProjectionMatrix[3] = clip;
            m_World->m_Lights.push_back(sun);
        }
        m_Target.fillLightSources(glm::vec4(0.5f));
        m_Pass = std::make_unique<LenseFlarePass>(&m_Target.m_GBuffer, m_Target.m_OutputFBO, Width, Height,
                                                  m_World.get());
        // The bright pass before leaves additive blending on.
        glEnable(GL_BLEND);
    }

    TempWorkDir m_Dir{""};
    FrameTarget m_Target{Width, Height};
    std::shared_ptr<Orbivane::Worlds::World> m_World = OrbivaneTest::quietWorld(Width, Height);
    std::unique_ptr<LenseFlarePass> m_Pass;
};

bool anyLight(const std::vector<glm::vec4>& pixels)
{
    for (const glm::vec4& pixel : pixels) {
        if (pixel.r != 0.0f || pixel.g != 0.0f || pixel.b != 0.0f) {
            return true;
        }
    }
    return false;
}

TEST_F(LenseFlare, SunsOnTheEdgeBehindTheCameraOrCoveredAtTheCentreGetNoFlare)
{
    const glm::ivec2 covered = pixelOf(glm::vec2(0.25f, 0.5f));
    // On the left edge, on the bottom edge, behind the camera (its division
    // by w lands on screen), and covered at its centre pixel.
    build("", {{-1.0f, 0.3f, 0.5f, 1.0f}, {0.3f, -1.0f, 0.3f, 1.0f}, {0.4f, 0.2f, -1.0f, -2.0f},
               {0.25f, 0.5f, 0.5f, 1.0f}});
    m_Target.fillLightSources(glm::vec4(0.0f), glm::ivec4(covered, 1, 1));
    m_Pass->render();
    EXPECT_FALSE(anyLight(m_Target.readOutput()));
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_BLEND)) << "state changed although nothing was drawn";
    EXPECT_FALSE(OrbivaneTest::isEnabled(GL_DEPTH_TEST)) << "state changed although nothing was drawn";
}

// Each visible sun gets four elements along the line through the screen
// centre; every lit pixel lies inside an element's rectangle, which is
// square in pixels on this 2:1 window.
TEST_F(LenseFlare, EveryVisibleSunGetsFourSquareElementsAndNothingElse)
{
    const std::vector<glm::vec2> positions = {{0.3f, 0.3f}, {-0.4f, 0.4f}};
    build("", {glm::vec4(positions[0], 2.0f, 1.0f), glm::vec4(positions[1], 2.0f, 1.0f)});
    m_Pass->render();
    const std::vector<glm::vec4> pixels = m_Target.readOutput();

    std::vector<glm::ivec4> rects;
    for (const glm::vec2& sun : positions) {
        for (int j = 0; j < 4; ++j) {
            const glm::ivec2 centre = pixelOf(sun * Placements[j]);
            const auto halfPixels = static_cast<int>(std::lround(HalfSizes[j] * Height * 0.5f));
            rects.emplace_back(centre - halfPixels, centre + halfPixels);
            EXPECT_GT(m_Target.outputAt(pixels, centre.x, centre.y).r, 0.0f) << "element " << j << " missing";
        }
    }
    for (int y = 0; y < static_cast<int>(Height); ++y) {
        for (int x = 0; x < static_cast<int>(Width); ++x) {
            bool inside = false;
            for (const glm::ivec4& r : rects) {
                inside = inside || (x >= r.x - 1 && y >= r.y - 1 && x <= r.z + 1 && y <= r.w + 1);
            }
            ASSERT_TRUE(inside || m_Target.outputAt(pixels, x, y).r == 0.0f) << "light outside at " << x << "," << y;
        }
    }
    // The element on the sun is lit as far across as up.
    const int across = litPixels(m_Target, pixels, pixelOf(positions[0]), {1, 0}, 40);
    EXPECT_NEAR(across, litPixels(m_Target, pixels, pixelOf(positions[0]), {0, 1}, 40), 2);
    EXPECT_GT(across, 30);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(OrbivaneTest::isEnabled(GL_BLEND));
    EXPECT_EQ(OrbivaneTest::integerState(GL_DRAW_FRAMEBUFFER_BINDING), static_cast<GLint>(m_Target.m_OutputFBO));
}

// On a window taller than wide the element on the sun is not cut at the
// sides of its quad: it stays as wide as high.
TEST_F(LenseFlare, ElementsStaySquareOnATallWindow)
{
    build("", {{0.3f, 0.3f, 2.0f, 1.0f}});
    FrameTarget tall(240, 480);
    tall.fillLightSources(glm::vec4(0.5f));
    LenseFlarePass pass(&tall.m_GBuffer, tall.m_OutputFBO, 240, 480, m_World.get());
    glEnable(GL_BLEND);
    pass.render();
    const std::vector<glm::vec4> pixels = tall.readOutput();
    const glm::ivec2 sun(156, 312);
    const int across = litPixels(tall, pixels, sun, {1, 0}, 60);
    EXPECT_NEAR(across, litPixels(tall, pixels, sun, {0, 1}, 60), 2);
    EXPECT_GT(across, 50);
}

struct StrengthCase {
    std::string settings;
    float depth;
    float expectedScale;
};

// The hot core of the element on a white sun shows the strength directly.
TEST_F(LenseFlare, StrengthFollowsTheSettingsDistanceAndCentreOffset)
{
    const float r2 = std::sqrt(2.0f);
    const glm::vec2 sun(0.3f, 0.3f);
    const float offCentre = (r2 - glm::length(sun)) / r2;
    const std::vector<StrengthCase> cases = {
        {"LenseFlareMaxVal=1000\nLenseFlareMinVal=1000\n", 0.0f, 1.0f},
        {"LenseFlareMaxVal=1000\nLenseFlareMinVal=1000\n", 400.0f, 1.0f},
        {"LenseFlareMaxVal=0\nLenseFlareMinVal=0\n", 0.0f, 0.0f},
        {"", 0.0f, 0.5f},
        {"", 400.0f, 0.01f},
    };
    for (const StrengthCase& c : cases) {
        build(c.settings, {glm::vec4(sun, c.depth, 1.0f)});
        m_Target.fillOutput(glm::vec4(0.0f));
        m_Pass->render();
        const glm::ivec2 centre = pixelOf(sun);
        const glm::vec4 core = m_Target.outputAt(m_Target.readOutput(), centre.x, centre.y);
        EXPECT_NEAR(core.r, c.expectedScale * offCentre, 2e-3f) << c.settings << " depth " << c.depth;
    }
}

}
