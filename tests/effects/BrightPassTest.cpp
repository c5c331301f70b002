#include "EffectsFixture.h"

#include "helpers/ExceptionWithMsg.h"
#include "rendering/BrightPass.h"

#include <string>
#include <vector>

namespace {

using EffectsTest::FrameTarget;
using OrbivaneTest::TempWorkDir;
using Orbivane::Rendering::BrightPass;

struct ChainCase {
    unsigned int width;
    unsigned int height;
    std::vector<glm::ivec2> sizes;
};

glm::ivec2 textureSize(GLuint texture)
{
    glm::ivec2 size(0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size.x);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &size.y);
    glBindTexture(GL_TEXTURE_2D, 0);
    return size;
}

TEST(BrightPass, ChainTexturesShrinkByTruncatedThirdsSixthsNinthsAndTwelfths)
{
    const TempWorkDir dir("");
    const std::vector<ChainCase> cases = {
        {1280, 720, {{426, 720}, {426, 240}, {213, 240}, {213, 120}, {142, 120}, {142, 80}, {106, 80}, {106, 60}}},
        {640, 480, {{213, 480}, {213, 160}, {106, 160}, {106, 80}, {71, 80}, {71, 53}, {53, 53}, {53, 40}}},
        {1001, 577, {{333, 577}, {333, 192}, {166, 192}, {166, 96}, {111, 96}, {111, 64}, {83, 64}, {83, 48}}},
    };
    for (const ChainCase& c : cases) {
        FrameTarget target(c.width, c.height);
        const BrightPass pass(&target.m_GBuffer, target.m_OutputFBO, c.width, c.height);
        for (unsigned int i = 0; i < BrightPass::ChainLength; ++i) {
            EXPECT_EQ(textureSize(pass.m_BlurTextures[i]), c.sizes[i]) << c.width << "x" << c.height << " step " << i;
        }
    }
}

TEST(BrightPass, WindowTooSmallForTheChainFailsWithTheFramebufferStatus)
{
    const TempWorkDir dir("");
    for (const glm::ivec2 size : {glm::ivec2(2, 2), glm::ivec2(11, 200), glm::ivec2(200, 11)}) {
        FrameTarget target(static_cast<unsigned int>(size.x), static_cast<unsigned int>(size.y));
        try {
            BrightPass pass(&target.m_GBuffer, target.m_OutputFBO, target.m_Width, target.m_Height);
            ADD_FAILURE() << size.x << "x" << size.y << " was accepted";
        } catch (const Orbivane::Helpers::ExceptionWithMsg& error) {
            const std::string prefix = "BrightPass creation failed. Error: ";
            ASSERT_EQ(error.m_Message.rfind(prefix, 0), 0u) << error.m_Message;
            EXPECT_GT(std::stoi(error.m_Message.substr(prefix.size())), 0) << error.m_Message;
        }
    }
}

TEST(BrightPass, WithoutLightSourcesTheOutputStaysExactlyAsItWas)
{
    const TempWorkDir dir("");
    FrameTarget target(640, 320);
    const glm::vec4 lit(0.3f, 0.2f, 0.1f, 0.7f);
    target.fillOutput(lit);
    BrightPass pass(&target.m_GBuffer, target.m_OutputFBO, 640, 320);
    pass.blur();
    pass.blend();
    const std::vector<glm::vec4> pixels = target.readOutput();
    std::size_t changed = 0;
    for (const glm::vec4& pixel : pixels) {
        changed += pixel != lit ? 1 : 0;
    }
    EXPECT_EQ(changed, 0u);
}

// A small sun in the middle of the window glows far beyond its edge, and
// the glow falls off smoothly in every direction: no steps from the small
// chain textures. Afterwards the state is what the lens flare pass expects.
TEST(BrightPass, SmallLightGlowsWideAndSoftAndLeavesAdditiveBlendingOn)
{
    const TempWorkDir dir("");
    FrameTarget target(640, 320);
    target.fillLightSources(glm::vec4(1.0f), glm::ivec4(313, 153, 12, 12));
    BrightPass pass(&target.m_GBuffer, target.m_OutputFBO, 640, 320);
    pass.blur();
    pass.blend();
    const std::vector<glm::vec4> pixels = target.readOutput();

    const glm::ivec2 directions[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const glm::ivec2 direction : directions) {
        const glm::ivec2 start = glm::ivec2(319, 159) + direction * 7;
        float previous = target.outputAt(pixels, start.x, start.y).r;
        for (int step = 8; step <= 60; ++step) {
            const glm::ivec2 p = glm::ivec2(319, 159) + direction * step;
            const float value = target.outputAt(pixels, p.x, p.y).r;
            EXPECT_LE(value, previous + 1e-6f) << "glow rises again at " << p.x << "," << p.y;
            previous = value;
        }
        const glm::ivec2 far = glm::ivec2(319, 159) + direction * 40;
        EXPECT_GT(target.outputAt(pixels, far.x, far.y).r, 1e-3f) << "no glow 40 pixels away";
    }

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_BLEND));
    EXPECT_EQ(OrbivaneTest::integerState(GL_BLEND_SRC_RGB), GL_ONE);
    EXPECT_EQ(OrbivaneTest::integerState(GL_BLEND_DST_RGB), GL_ONE);
    EXPECT_FALSE(OrbivaneTest::isEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(OrbivaneTest::isEnabled(GL_CULL_FACE));
    EXPECT_EQ(OrbivaneTest::integerState(GL_CULL_FACE_MODE), GL_FRONT);
    EXPECT_EQ(OrbivaneTest::integerState(GL_DRAW_FRAMEBUFFER_BINDING), static_cast<GLint>(target.m_OutputFBO));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 320);
}

}
