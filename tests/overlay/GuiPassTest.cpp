#include "Canvas.h"

#include "rendering/GUIPass.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <gtest/gtest.h>

#include <memory>

using Orbivane::Rendering::GUIPass;
using Orbivane::Worlds::GameState;
using Orbivane::Worlds::World;
using OverlayTest::Canvas;

namespace {

// A window size unlike any default, so that a layout taken from anywhere
// but the world's real size shows.
constexpr int kWidth = 800;
constexpr int kHeight = 360;

class GuiPassTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        OrbivaneTest::ensureGLContext();
        s_Dir = std::make_unique<OrbivaneTest::TempWorkDir>("");
        s_Dir->writeFile("highscores.txt", "Bob|7\nAnn|12\n");
        s_World = OrbivaneTest::quietWorld(kWidth, kHeight);
    }

    void SetUp() override
    {
        if (!s_World) {
            GTEST_SKIP() << "no world";
        }
        m_Canvas = std::make_unique<Canvas>(kWidth, kHeight);
        m_Pass = std::make_unique<GUIPass>(m_Canvas->m_Framebuffer, s_World);
    }

    static void TearDownTestSuite()
    {
        s_World.reset();
        s_Dir.reset();
    }

    // Draws the heads-up display of one frame over a canvas of the given grey.
    const Canvas& render(const GameState& state, float grey = 0.0f)
    {
        m_Canvas->clear(grey);
        // As text printing leaves it, whatever the faces the pass before culled.
        glEnable(GL_CULL_FACE);
        m_Pass->render(state);
        m_Canvas->read();
        return *m_Canvas;
    }

    static GameState alive(float lifeLeft)
    {
        GameState state;
        state.lifeLeft = lifeLeft;
        return state;
    }

    static inline std::unique_ptr<OrbivaneTest::TempWorkDir> s_Dir;
    static inline std::shared_ptr<World> s_World;
    std::unique_ptr<Canvas> m_Canvas;
    std::unique_ptr<GUIPass> m_Pass;
};

// The bar spans x -0.95 .. -0.9 and y -0.9 .. -0.7 in device coordinates.
constexpr int kBarX = static_cast<int>(0.0375 * kWidth);
constexpr int kBelowHalf = static_cast<int>(0.075 * kHeight);  // y -0.85
constexpr int kAboveHalf = static_cast<int>(0.125 * kHeight);  // y -0.75

TEST_F(GuiPassTest, HelpStartsOneCellRightOfAQuarterWidthAtHalfHeight)
{
    m_Pass->m_ShowHelp = true;
    const Canvas& canvas = render(alive(1.0f));
    const int x = kWidth / 4 + 24;
    const int y = kHeight / 2;
    EXPECT_TRUE(canvas.inked(x, y, x + 24, y + 24)) << "no 'H' in the first cell";
    EXPECT_FALSE(canvas.inked(x - 24, kHeight / 4, x, kHeight)) << "ink left of the first cell";
    EXPECT_FALSE(canvas.inked(0, y + 24, kWidth, kHeight)) << "ink above the first line";
    EXPECT_TRUE(canvas.inked(x, y - 24, x + 24, y)) << "no second line below the first";
}

TEST_F(GuiPassTest, LifeBarFillsToItsShareOfTheBarHeight)
{
    const auto filled = render(alive(1.0f)).pixel(kBarX, kBelowHalf);
    const auto empty = render(alive(0.0f)).pixel(kBarX, kBelowHalf);
    ASSERT_NE(filled, empty);

    struct Case {
        GameState state;
        std::array<std::uint8_t, 4> below;
        std::array<std::uint8_t, 4> above;
    };
    GameState dead = alive(1.0f);
    dead.alive = false;
    for (const Case& c : {Case{alive(0.5f), filled, empty}, Case{alive(1.0f), filled, filled},
                          Case{alive(-2.0f), empty, empty}, Case{dead, empty, empty}}) {
        SCOPED_TRACE(c.state.lifeLeft);
        const Canvas& canvas = render(c.state);
        EXPECT_EQ(canvas.pixel(kBarX, kBelowHalf), c.below);
        EXPECT_EQ(canvas.pixel(kBarX, kAboveHalf), c.above);
    }
}

TEST_F(GuiPassTest, TransparencyAddsTheBarAndLeavesBlendingReversed)
{
    const auto opaque = render(alive(1.0f), 0.25f).pixel(kBarX, kBelowHalf);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    m_Pass->m_Transparency = true;
    const auto added = render(alive(1.0f), 0.25f).pixel(kBarX, kBelowHalf);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(added[channel], std::min(255, opaque[channel] + 64), 1) << "channel " << channel;
    }
}

TEST_F(GuiPassTest, LevelIntroStatesTheMissionsThatAreSet)
{
    struct Case {
        int shoot;
        int survive;
        const char* text;
    };
    for (const Case& c : {Case{5, 0, "Level 2\nRings\nYour Mission:  Shoot 5 Asteroids!\n"},
                          Case{0, 40, "Level 2\nRings\nYour Mission:  Survive 40 seconds!\n"},
                          Case{5, 40, "Level 2\nRings\nYour Mission:  Shoot 5 Asteroids!\n Survive 40 seconds!\n"},
                          Case{0, 0, "Level 2\nRings\nYour Mission: "}}) {
        GameState state;
        state.levelIntro = true;
        state.levelNumber = 2;
        state.levelName = "Rings";
        state.shootTarget = c.shoot;
        state.surviveSeconds = c.survive;
        m_Pass->renderLevelIntro(state);
        EXPECT_EQ(m_Pass->m_LevelIntroText.m_Text, c.text);
    }
}

TEST_F(GuiPassTest, ScoreTableShowsTheStartingTableWithATabCellAndTheCurrentScore)
{
    EXPECT_EQ(m_Pass->m_HighScoreText, "Ann\t12\nBob\t7\n");
    s_World->getHighScore()->m_Score = 3;
    m_Pass->m_ShowScore = true;
    const Canvas& canvas = render(alive(1.0f));
    EXPECT_EQ(m_Pass->m_CurrentScore.m_Text, "Current Score: 3");

    const int left = kWidth / 2;
    const int line = kHeight - kHeight / 3;
    for (int column = 1; column <= 6; ++column) {
        const int x = left + column * 24;
        EXPECT_EQ(canvas.inked(x, line, x + 24, line + 24), column != 4) << "'Ann\\t12', column " << column;
    }
    EXPECT_TRUE(canvas.inked(left + 24, kHeight - kHeight / 4, left + 48, kHeight - kHeight / 4 + 24));
}

}
