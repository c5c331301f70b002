#include "Canvas.h"

#include "rendering/GUIPass.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using Orbivane::Worlds::GameState;

namespace {

// A window size unlike any default, so that a layout taken from anywhere
// but the world's real size shows.
constexpr int kWidth = 800;
constexpr int kHeight = 360;

// The bar spans x -0.95 .. -0.9 and y -0.9 .. -0.7 in device coordinates.
constexpr int kBarX = static_cast<int>(0.0375 * kWidth);
constexpr int kBelowHalf = static_cast<int>(0.075 * kHeight);  // y -0.85
constexpr int kAboveHalf = static_cast<int>(0.125 * kHeight);  // y -0.75

class GuiPassTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        OrbivaneTest::ensureGLContext();
        s_Dir = std::make_unique<OrbivaneTest::TempWorkDir>("");
        s_Dir->writeFile("highscores.txt", "Bob|7\nAnn|12\n");
        s_World = OrbivaneTest::quietWorld(kWidth, kHeight);
    }

    static void TearDownTestSuite()
    {
        s_World.reset();
        s_Dir.reset();
    }

    // Draws the heads-up display of one frame over a canvas of the given grey.
    const OverlayTest::Canvas& render(float lifeLeft, float grey = 0.0f, bool alive = true)
    {
        m_Canvas.clear(grey);
        // As text printing leaves it, whatever the faces the pass before culled.
        glEnable(GL_CULL_FACE);
        m_Pass.render(GameState{alive, lifeLeft, false, 0, "", 0, 0, false, false});
        m_Canvas.read();
        return m_Canvas;
    }

    static inline std::unique_ptr<OrbivaneTest::TempWorkDir> s_Dir;
    static inline std::shared_ptr<Orbivane::Worlds::World> s_World;
    OverlayTest::Canvas m_Canvas{kWidth, kHeight};
    Orbivane::Rendering::GUIPass m_Pass{m_Canvas.m_Framebuffer, s_World};
};

TEST_F(GuiPassTest, HelpStartsOneCellRightOfAQuarterWidthAtHalfHeight)
{
    m_Pass.m_ShowHelp = true;
    const OverlayTest::Canvas& canvas = render(1.0f);
    const int x = kWidth / 4 + 24;
    const int y = kHeight / 2;
    EXPECT_TRUE(canvas.inked(x, y, x + 24, y + 24)) << "no 'H' in the first cell";
    EXPECT_FALSE(canvas.inked(x - 24, kHeight / 4, x, kHeight)) << "ink left of the first cell";
    EXPECT_FALSE(canvas.inked(0, y + 24, kWidth, kHeight)) << "ink above the first line";
}

// The bar fills to its share of the bar height, over any background; with
// transparency on it is added to what lies below and blending is left off.
TEST_F(GuiPassTest, LifeBarFillsToItsShareAndTransparencyAddsIt)
{
    const auto filled = render(1.0f).pixel(kBarX, kBelowHalf);
    const auto empty = render(0.0f).pixel(kBarX, kBelowHalf);
    ASSERT_NE(filled, empty);
    const std::tuple<float, bool, std::array<std::uint8_t, 4>, std::array<std::uint8_t, 4>> cases[] = {
        {0.5f, true, filled, empty}, {1.0f, true, filled, filled}, {-2.0f, true, empty, empty},
        {1.0f, false, empty, empty}};
    for (const auto& [lifeLeft, alive, below, above] : cases) {
        const OverlayTest::Canvas& canvas = render(lifeLeft, 0.0f, alive);
        EXPECT_EQ(canvas.pixel(kBarX, kBelowHalf), below) << lifeLeft << (alive ? "" : " dead");
        EXPECT_EQ(canvas.pixel(kBarX, kAboveHalf), above) << lifeLeft << (alive ? "" : " dead");
    }

    const auto opaque = render(1.0f, 0.25f).pixel(kBarX, kBelowHalf);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    m_Pass.m_Transparency = true;
    const auto added = render(1.0f, 0.25f).pixel(kBarX, kBelowHalf);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(added[channel], std::min(255, opaque[channel] + 64), 1) << "channel " << channel;
    }
}

TEST_F(GuiPassTest, LevelIntroStatesTheMissionsThatAreSet)
{
    const std::tuple<int, int, const char*> cases[] = {
        {5, 0, "Level 2\nRings\nYour Mission:  Shoot 5 Asteroids!\n"},
        {0, 40, "Level 2\nRings\nYour Mission:  Survive 40 seconds!\n"},
        {5, 40, "Level 2\nRings\nYour Mission:  Shoot 5 Asteroids!\n Survive 40 seconds!\n"},
        {0, 0, "Level 2\nRings\nYour Mission: "}};
    for (const auto& [shoot, survive, text] : cases) {
        m_Pass.renderLevelIntro(GameState{true, 0.0f, true, 2, "Rings", shoot, survive, false, false});
        EXPECT_EQ(m_Pass.m_LevelIntroText.m_Text, text);
    }
}

TEST_F(GuiPassTest, ScoreTableShowsTheStartingTableWithATabCellAndTheCurrentScore)
{
    EXPECT_EQ(m_Pass.m_HighScoreText, "Ann\t12\nBob\t7\n");
    s_World->getHighScore()->m_Score = 3;
    m_Pass.m_ShowScore = true;
    const OverlayTest::Canvas& canvas = render(1.0f);
    EXPECT_EQ(m_Pass.m_CurrentScore.m_Text, "Current Score: 3");
    const int left = kWidth / 2;
    const int line = kHeight - kHeight / 3;
    for (int column = 1; column <= 6; ++column) {
        const int x = left + column * 24;
        EXPECT_EQ(canvas.inked(x, line, x + 24, line + 24), column != 4) << "'Ann\\t12', column " << column;
    }
    EXPECT_TRUE(canvas.inked(left + 24, kHeight - kHeight / 4, left + 48, kHeight - kHeight / 4 + 24));
}

}
