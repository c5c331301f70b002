#include "EffectsFixture.h"

#include "helpers/ExceptionWithMsg.h"
#include "rendering/BrightPass.h"

#include <algorithm>
#include <regex>

namespace {

using EffectsTest::FrameTarget;
using Orbivane::Rendering::BrightPass;

// Truncated thirds, sixths, ninths and twelfths of the window; a window too
// small for the chain fails with the framebuffer status.
TEST(BrightPass, ChainTexturesShrinkByTruncatedFractionsAndTooSmallWindowsFail)
{
    const OrbivaneTest::TempWorkDir dir("");
    const std::vector<std::pair<glm::ivec2, std::vector<glm::ivec2>>> cases = {
        {{1280, 720}, {{426, 720}, {426, 240}, {213, 240}, {213, 120}, {142, 120}, {142, 80}, {106, 80}, {106, 60}}},
        {{640, 480}, {{213, 480}, {213, 160}, {106, 160}, {106, 80}, {71, 80}, {71, 53}, {53, 53}, {53, 40}}},
        {{1001, 577}, {{333, 577}, {333, 192}, {166, 192}, {166, 96}, {111, 96}, {111, 64}, {83, 64}, {83, 48}}},
        {{2, 2}, {}}, {{11, 200}, {}}, {{200, 11}, {}}};
    for (const auto& [window, sizes] : cases) {
        SCOPED_TRACE(std::to_string(window.x) + "x" + std::to_string(window.y));
        FrameTarget target(window.x, window.y);
        try {
            const BrightPass pass(target.m_GBuffer.get(), target.m_OutputFBO, window.x, window.y);
            for (unsigned int i = 0; i < BrightPass::ChainLength; ++i) {
                glm::ivec2 size(0);
                glGetTextureLevelParameteriv(pass.m_BlurTextures[i], 0, GL_TEXTURE_WIDTH, &size.x);
                glGetTextureLevelParameteriv(pass.m_BlurTextures[i], 0, GL_TEXTURE_HEIGHT, &size.y);
                EXPECT_EQ(size, sizes.at(i)) << "step " << i;
            }
        } catch (const Orbivane::Helpers::ExceptionWithMsg& error) {
            EXPECT_TRUE(std::regex_match(error.m_Message, std::regex("BrightPass creation failed. Error: [1-9][0-9]*")))
                << error.m_Message;
            EXPECT_TRUE(sizes.empty());
        }
    }
}

// Without light sources the output stays exactly as it was; a small sun in
// the middle glows far beyond its edge, falling off smoothly in every
// direction (no steps from the small chain textures). Afterwards the state is
// what the lens flare pass expects.
TEST(BrightPass, AddsNothingWithoutLightAndASoftWideGlowAroundASmallSun)
{
    const OrbivaneTest::TempWorkDir dir("");
    FrameTarget target(640, 320);
    const glm::vec4 lit(0.3f, 0.2f, 0.1f, 0.7f);
    target.fillOutput(lit);
    BrightPass pass(target.m_GBuffer.get(), target.m_OutputFBO, 640, 320);
    pass.blur();
    pass.blend();
    const std::vector<glm::vec4>& unlit = target.read();
    EXPECT_EQ(std::count(unlit.begin(), unlit.end(), lit), static_cast<long>(unlit.size()));

    target.fillOutput(glm::vec4(0.0f));
    target.fillLightSources(glm::vec4(1.0f), glm::ivec4(313, 153, 12, 12));
    pass.blur();
    pass.blend();
    target.read();
    for (const glm::ivec2 direction : {glm::ivec2(1, 0), glm::ivec2(-1, 0), glm::ivec2(0, 1), glm::ivec2(0, -1)}) {
        for (int step = 8; step <= 60; ++step) {
            const glm::ivec2 p = glm::ivec2(319, 159) + direction * step;
            EXPECT_LE(target.at(p).r, target.at(p - direction).r + 1e-6f) << "glow rises at " << p.x << "," << p.y;
        }
        EXPECT_GT(target.at(glm::ivec2(319, 159) + direction * 40).r, 1e-3f) << "no glow 40 pixels away";
    }
    EXPECT_EQ(EffectsTest::glState(target.m_OutputFBO),
              "blend 1/1, depth test 0, depth writes 0, cull 1028, draw output 640x320, error 0");
}

// The first chain step blurs across the rows only, and every step keeps an
// even light at its level: the kernel sums to one.
TEST(BrightPass, StepsBlurAlongTheirAxisAndKeepAnEvenLightsLevel)
{
    const OrbivaneTest::TempWorkDir dir("");
    FrameTarget target(640, 320);
    BrightPass pass(target.m_GBuffer.get(), target.m_OutputFBO, 640, 320);
    const auto stepImage = [&pass](unsigned int step) {
        const auto size = BrightPass::chainSize(step, 640, 320);
        std::vector<glm::vec4> texels(static_cast<std::size_t>(size.width) * size.height);
        glGetTextureImage(pass.m_BlurTextures[step], 0, GL_RGBA, GL_FLOAT,
                          static_cast<GLsizei>(texels.size() * sizeof(glm::vec4)), texels.data());
        return [texels, size](unsigned int x, unsigned int y) { return texels[y * size.width + x].r; };
    };
    target.fillLightSources(glm::vec4(0.5f));
    pass.blur();
    for (unsigned int step = 0; step < BrightPass::ChainLength; ++step) {
        const auto image = stepImage(step);
        const auto size = BrightPass::chainSize(step, 640, 320);
        for (const glm::uvec2 texel : {glm::uvec2(0), glm::uvec2(size.width / 2, size.height / 2)}) {
            EXPECT_NEAR(image(texel.x, texel.y), 0.5f, 1e-3f) << "step " << step;
        }
    }
    // One lit row: the first step spreads it along the row only.
    target.fillLightSources(glm::vec4(0.0f));
    target.fillLightSources(glm::vec4(1.0f), glm::ivec4(0, 159, 640, 1));
    pass.blur();
    const auto across = stepImage(0);
    EXPECT_GT(across(106, 159), 0.5f);
    EXPECT_EQ(across(106, 156), 0.0f) << "the first step blurs down the column";
}

// The glow adds the across-blurred step of each level, weighted by how many
// window pixels one of its texels spans over twelve; the down-blurred steps
// only feed the next level.
TEST(BrightPass, GlowAddsEachLevelsAcrossStepWeightedByItsTexelSpan)
{
    const OrbivaneTest::TempWorkDir dir("");
    FrameTarget target(640, 320);
    BrightPass pass(target.m_GBuffer.get(), target.m_OutputFBO, 640, 320);
    for (unsigned int lit = 0; lit < BrightPass::ChainLength; ++lit) {
        for (unsigned int step = 0; step < BrightPass::ChainLength; ++step) {
            const float level = step == lit ? 1.0f : 0.0f;
            glClearTexImage(pass.m_BlurTextures[step], 0, GL_RGBA, GL_FLOAT, &glm::vec4(level)[0]);
        }
        target.fillOutput(glm::vec4(0.0f));
        pass.blend();
        target.read();
        const float span = 640.0f / static_cast<float>(BrightPass::chainSize(lit, 640, 320).width);
        const float expected = lit % 2 == 0 ? span / 12.0f : 0.0f;
        EXPECT_NEAR(target.at(glm::ivec2(320, 160)).r, expected, 1e-3f) << "step " << lit;
    }
}

}
