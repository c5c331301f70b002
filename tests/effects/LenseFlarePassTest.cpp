#include "EffectsFixture.h"

#include "rendering/LenseFlarePass.h"
#include "worlds/World.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

using EffectsTest::FrameTarget;
using Orbivane::Rendering::LenseFlarePass;

constexpr unsigned int Width = 640, Height = 320;
constexpr float HalfSizes[4] = {0.15f, 0.03f, 0.05f, 0.10f};
constexpr float Placements[4] = {1.0f, 0.5f, -1.0f, -2.0f};

glm::ivec2 pixelOf(const glm::vec2& ndc)
{
    return glm::ivec2((ndc + 1.0f) * 0.5f * glm::vec2(Width, Height));
}

// How many pixels across and up through `centre` the flare lights.
glm::ivec2 litExtent(const FrameTarget& target, const glm::ivec2& centre)
{
    glm::ivec2 extent(0);
    for (int d = -40; d <= 40; ++d) {
        extent += glm::ivec2(target.at({centre.x + d, centre.y}).r > 0.0f,
                             target.at({centre.x, centre.y + d}).r > 0.0f);
    }
    return extent;
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
        m_Pass = std::make_unique<LenseFlarePass>(m_Target.m_GBuffer.get(), m_Target.m_OutputFBO, Width, Height,
                                                  m_World.get());
        // The bright pass before leaves additive blending on.
        glEnable(GL_BLEND);
    }

    OrbivaneTest::TempWorkDir m_Dir{""};
    FrameTarget m_Target{Width, Height};
    std::shared_ptr<Orbivane::Worlds::World> m_World = OrbivaneTest::quietWorld(Width, Height);
    std::unique_ptr<LenseFlarePass> m_Pass;
};

// Each visible sun gets four elements along the line through the screen
// centre; every lit pixel lies inside an element's rectangle, which is
// square in pixels on this 2:1 window.
TEST_F(LenseFlare, EveryVisibleSunGetsFourSquareElementsAndNothingElse)
{
    const std::vector<glm::vec2> positions = {{0.3f, 0.3f}, {-0.4f, 0.4f}};
    build("", {glm::vec4(positions[0], 2.0f, 1.0f), glm::vec4(positions[1], 2.0f, 1.0f)});
    m_Pass->render();
    m_Target.read();
    std::vector<glm::ivec4> rects;
    for (const glm::vec2& sun : positions) {
        for (int j = 0; j < 4; ++j) {
            const glm::ivec2 centre = pixelOf(sun * Placements[j]);
            const auto halfPixels = static_cast<int>(std::lround(HalfSizes[j] * Height * 0.5f));
            rects.emplace_back(centre - halfPixels, centre + halfPixels);
            EXPECT_GT(m_Target.at(centre).r, 0.0f) << "element " << j << " missing";
        }
    }
    for (std::size_t i = 0; i < m_Target.m_Pixels.size(); ++i) {
        const glm::ivec2 p(i % Width, i / Width);
        const auto inside = [p](glm::ivec4 r) {
            return p.x >= r.x - 1 && p.y >= r.y - 1 && p.x <= r.z + 1 && p.y <= r.w + 1;
        };
        ASSERT_TRUE(m_Target.m_Pixels[i].r == 0.0f || std::any_of(rects.begin(), rects.end(), inside))
            << "light outside at " << p.x << "," << p.y;
    }
    // The element on the sun is lit as far across as up.
    const glm::ivec2 extent = litExtent(m_Target, pixelOf(positions[0]));
    EXPECT_NEAR(extent.x, extent.y, 2);
    EXPECT_GT(extent.x, 30);
    EXPECT_EQ(EffectsTest::glState(m_Target.m_OutputFBO),
              "blend off, depth test 1, depth writes 0, cull 1028, draw output 640x320, error 0");
}

// In a window taller than wide the elements stay square, not cut at their sides.
TEST_F(LenseFlare, ElementsStaySquareInAWindowTallerThanWide)
{
    build("", {glm::vec4(0.0f, 0.0f, 2.0f, 1.0f)});
    FrameTarget tall(160, 320);
    tall.fillLightSources(glm::vec4(0.5f));
    LenseFlarePass(tall.m_GBuffer.get(), tall.m_OutputFBO, 160, 320, m_World.get()).render();
    tall.read();
    const glm::ivec2 extent = litExtent(tall, glm::ivec2(80, 160));
    EXPECT_NEAR(extent.x, extent.y, 2);
    EXPECT_GT(extent.x, 30);
}

// The hot core of the element on a white sun shows the strength directly.
// Suns on the left or bottom edge, behind the camera (their division by w
// lands on screen) or covered at their centre pixel get no flare at all, and
// then the pass leaves the state as it was.
TEST_F(LenseFlare, StrengthFollowsTheSettingsDistanceAndCentreOffsetAndHiddenSunsGetNone)
{
    const glm::vec2 sun(0.3f, 0.3f);
    const float offCentre = 1.0f - glm::length(sun) / std::sqrt(2.0f);
    const std::string highest = "LenseFlareMaxVal=1000\nLenseFlareMinVal=1000\n";
    const std::tuple<std::string, float, float> cases[] = {
        {highest, 0.0f, 1.0f}, {highest, 400.0f, 1.0f}, {"LenseFlareMaxVal=0\nLenseFlareMinVal=0\n", 0.0f, 0.0f},
        {"", 0.0f, 0.5f}, {"", 400.0f, 0.01f}};
    for (const auto& [settings, depth, scale] : cases) {
        build(settings, {glm::vec4(sun, depth, 1.0f)});
        m_Target.fillOutput(glm::vec4(0.0f));
        m_Pass->render();
        m_Target.read();
        EXPECT_NEAR(m_Target.at(pixelOf(sun)).r, scale * offCentre, 2e-3f) << settings << " depth " << depth;
    }

    build("", {{-1.0f, 0.3f, 0.5f, 1.0f}, {0.3f, -1.0f, 0.3f, 1.0f}, {0.4f, 0.2f, -1.0f, -2.0f},
               {0.25f, 0.5f, 0.5f, 1.0f}});
    m_Target.fillLightSources(glm::vec4(0.0f), glm::ivec4(pixelOf(glm::vec2(0.25f, 0.5f)), 1, 1));
    m_Target.fillOutput(glm::vec4(0.0f));
    const std::string state = EffectsTest::glState(m_Target.m_OutputFBO);
    m_Pass->render();
    const std::vector<glm::vec4>& pixels = m_Target.read();
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), glm::vec4(0.0f)), static_cast<long>(pixels.size()));
    EXPECT_EQ(EffectsTest::glState(m_Target.m_OutputFBO), state) << "state changed although nothing was drawn";
}

}
