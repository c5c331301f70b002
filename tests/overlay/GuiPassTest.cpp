#include "Canvas.h"

#include "rendering/GUIPass.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"
#include "worlds/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <tuple>

using Orbivane::Worlds::DeathCause;
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

// Its 22 lines do not fit below half the height even in 12-pixel cells:
// the help keeps 12-pixel cells, one right of a quarter width, and moves up
// just enough for its last line to sit on the bottom edge.
TEST_F(GuiPassTest, HelpTooTallForTheWindowMovesUpInTheSmallestReadableCells)
{
    m_Pass.m_ShowHelp = true;
    const OverlayTest::Canvas& canvas = render(1.0f);
    const int x = kWidth / 4 + 12;
    const int y = 21 * 12;
    EXPECT_TRUE(canvas.inked(x, y, x + 12, y + 12)) << "no 'H' in the first cell";
    EXPECT_FALSE(canvas.inked(x - 12, kHeight / 4, x, kHeight)) << "ink left of the first cell";
    EXPECT_FALSE(canvas.inked(0, y + 12, kWidth, kHeight)) << "ink above the first line";
    EXPECT_TRUE(canvas.inked(x, 0, x + 12, 12)) << "no 'F' on the bottom line";
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

// Beside the life bar: the parts of the mission the level asks for, and "+1"
// for a second after each hit.
TEST_F(GuiPassTest, ProgressShowsWhatTheMissionAsksForAndAHitFlashes)
{
    const std::tuple<int, int, float, const char*> cases[] = {
        {3, 0, 0.5f, "Rocks 2/3"}, {0, 8, 1.5f, "1:05 / 0:08"}, {13, 8, 2.0f, "Rocks 2/13  1:05 / 0:08"},
        {0, 0, 0.0f, ""}};
    for (const auto& [shoot, survive, sinceHit, text] : cases) {
        GameState state{true, 1.0f, false, 1, "", shoot, survive, false, false};
        state.asteroidsShot = 2;
        state.secondsSurvived = 65;
        state.secondsSinceHit = sinceHit;
        m_Canvas.clear();
        m_Pass.render(state);
        m_Canvas.read();
        EXPECT_EQ(m_Pass.m_ProgressText.m_Text, text);
        const int left = kWidth / 20 + 16, bottom = kHeight / 20, top = kHeight * 3 / 20;
        EXPECT_EQ(m_Canvas.inked(left, bottom, kWidth, bottom + 16), *text != '\0') << text;
        EXPECT_EQ(m_Canvas.inked(left + 8, top, left + 48, top + 24), sinceHit < 1.0f) << "+1 at " << sinceHit;
    }
}

// Both screens that end the game say why it ended, give the score and the
// best one, and the keys that go on from there, the dot between them drawn.
TEST_F(GuiPassTest, EndScreensSayWhyAndWhatComesNext)
{
    s_World->getHighScore()->m_Score = 3;
    const std::pair<DeathCause, const char*> causes[] = {
        {DeathCause::Asteroid, "An asteroid hit you.\n"}, {DeathCause::Sun, "You flew into a sun.\n"},
        {DeathCause::BlackHole, "The black hole swallowed you.\n"},
        {DeathCause::EnergyOut, "Your energy ran out: hits refill it.\n"}, {DeathCause::None, ""}};
    for (Orbivane::Entities::GUI* text : {&m_Pass.m_LostText, &m_Pass.m_EndDetailText, &m_Pass.m_EndHintText}) {
        text->m_TextRenderer.m_FrameBuffer = m_Canvas.m_Framebuffer;
    }
    for (const auto& [cause, why] : causes) {
        GameState state{false, 0.0f, false, 1, "", 3, 0, false, cause == DeathCause::None};
        state.cause = cause;
        m_Canvas.clear();
        m_Pass.renderEndScreen(m_Pass.m_LostText, state);
        m_Canvas.read();
        EXPECT_EQ(m_Pass.m_EndDetailText.m_Text, std::string(why) + "Score: 3   Best: 12");
    }
    // "Enter: play again " leads the dot: its cell is the 19th of the centred hint.
    const int dot = (kWidth - 39 * 16) / 2 + 19 * 16, line = kHeight / 10;
    EXPECT_TRUE(m_Canvas.inked(dot, line, dot + 16, line + 16));
    EXPECT_FALSE(m_Canvas.inked(dot - 16, line, dot, line + 16) || m_Canvas.inked(dot + 16, line, dot + 32, line + 16));
    s_World->getHighScore()->m_Score = 0;
}

// A score above the table's needs no line for its place.
TEST_F(GuiPassTest, ScoreTableShowsTheStartingTableWithATabCellAndTheCurrentScore)
{
    s_World->getHighScore()->m_Score = 20;
    m_Pass.m_ShowScore = true;
    const OverlayTest::Canvas& canvas = render(1.0f);
    EXPECT_EQ(m_Pass.m_HighScoreText, "Ann\t12\nBob\t7\n");
    EXPECT_EQ(m_Pass.m_CurrentScore.m_Text, "Current Score: 20");
    const int left = kWidth / 2;
    const int line = kHeight - kHeight / 3;
    for (int column = 1; column <= 6; ++column) {
        const int x = left + column * 24;
        EXPECT_EQ(canvas.inked(x, line, x + 24, line + 24), column != 4) << "'Ann\\t12', column " << column;
    }
    EXPECT_TRUE(canvas.inked(left + 24, kHeight - kHeight / 4, left + 48, kHeight - kHeight / 4 + 24));

    // In text twice as large the table's cells stop short of the current score's line.
    m_Pass.setTextScale(2.0f);
    m_Canvas.clear();
    m_Pass.m_HighScoreTable.draw();
    m_Canvas.read();
    EXPECT_TRUE(m_Canvas.inked(left, line, kWidth, kHeight - kHeight / 4));
    EXPECT_FALSE(m_Canvas.inked(0, kHeight - kHeight / 4, kWidth, kHeight));
}

// Of 60 entries the table shows the best that fit in cells of 12 pixels or
// more, at most ten, and this game's place below them when it falls there;
// it never reaches up into the current score's line.
TEST_F(GuiPassTest, LongScoreTableShowsTheBestEntriesThatFitAndThisGamesPlaceBelowTheCurrentScore)
{
    for (int score = 1; score <= 60; ++score) {
        m_Pass.m_HighScoreEntries[score] = "P" + std::to_string(score);
    }
    // Window size, this game's score, the entries shown and the place given below them (0: none).
    const std::tuple<int, int, int, int, int> cases[] = {
        {640, 320, 3, 10, 58}, {640, 320, 55, 10, 0}, {640, 160, 3, 8, 58}, {640, 160, 60, 9, 0}};
    for (const auto& [width, height, score, entries, place] : cases) {
        SCOPED_TRACE(std::to_string(height) + " high, score " + std::to_string(score));
        s_World->getHighScore()->m_Score = score;
        m_Pass.layOut(width, height);
        std::string expected;
        for (int shown = 60; shown > 60 - entries; --shown) {
            expected += "P" + std::to_string(shown) + "\t" + std::to_string(shown) + "\n";
        }
        expected += place > 0 ? std::to_string(place) + ". Mr. Gorgeous! " + std::to_string(score) + "\n" : "";
        EXPECT_EQ(m_Pass.m_HighScoreText, expected);

        Orbivane::Entities::GUI& table = m_Pass.m_HighScoreTable;
        OverlayTest::Canvas canvas(width, height);
        table.m_TextRenderer.m_FrameBuffer = canvas.m_Framebuffer;
        canvas.clear();
        table.draw();
        canvas.read();
        EXPECT_GE(table.m_TextRenderer.fit(expected.c_str(), width / 2, height - height / 3, table.m_TextSize).size, 12);
        EXPECT_TRUE(canvas.inked(0, 0, width, height - height / 4));
        EXPECT_FALSE(canvas.inked(0, height - height / 4, width, height)) << "over the current score";
    }
}

}

// In windows small, narrow, wide and tall every line of every block lies
// wholly inside, its last cell inked; at 1920x1080 each block prints exactly as at
// its anchor in 24-pixel cells.
TEST_F(GuiPassTest, TextBlocksFitTheWindowAndKeepTheirPlaceWhereTheyFit)
{
    using Orbivane::Entities::GUI;
    m_Pass.renderLevelIntro(GameState{true, 1.0f, true, 1, "Nightmare from Quillstreet!", 13, 30, false, false});
    m_Pass.m_CurrentScore.m_Text = "Current Score: 12345";
    EXPECT_EQ(m_Pass.m_HelpText.m_Text.substr(m_Pass.m_HelpText.m_Text.rfind("\nF9")),
              "\nF9 Transparency on/off\nP Pause\nM Mute\nF11 Full screen\nF12 Screenshot");
    for (const auto& [width, height] : {std::pair(640, 320), {1280, 720}, {360, 900}, {1920, 1080}, {143, 240}}) {
        m_Pass.layOut(width, height);
        const std::pair<GUI*, std::pair<int, int>> blocks[] = {
            {&m_Pass.m_LevelIntroText, {width / 4, height / 2}}, {&m_Pass.m_HelpText, {width / 4, height / 2}},
            {&m_Pass.m_WonText, {width / 4, height / 2}},        {&m_Pass.m_GameEndText, {width / 4, height / 2}},
            {&m_Pass.m_LostText, {width / 4, height / 2}},
            {&m_Pass.m_HighScoreTable, {width / 2, height - height / 3}},
            {&m_Pass.m_CurrentScore, {width / 2, height - height / 4}},
            {&m_Pass.m_PausedText, {width / 2 - 96, height - height / 6}}};
        OverlayTest::Canvas drawn(width, height), printed(width, height);
        for (const auto& [block, anchor] : blocks) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + ": " + block->m_Text);
            block->m_TextRenderer.m_FrameBuffer = drawn.m_Framebuffer;
            drawn.clear();
            block->draw();
            drawn.read();
            const auto place = block->m_TextRenderer.fit(block->m_Text.c_str(), anchor.first, anchor.second, 24);
            std::istringstream lines(block->m_Text);
            int bottom = place.y;
            for (std::string line; std::getline(lines, line); bottom -= place.size) {
                const int right = place.x + (static_cast<int>(line.size()) + 1) * place.size;
                EXPECT_TRUE(place.x + place.size >= 0 && right <= width && bottom >= 0 &&
                            bottom + place.size <= height);
                EXPECT_TRUE(drawn.inked(right - place.size, bottom, right, bottom + place.size)) << line;
            }
            if (width == 1920) {
                block->m_TextRenderer.m_FrameBuffer = printed.m_Framebuffer;
                printed.clear();
                block->m_TextRenderer.print(block->m_Text.c_str(), anchor.first, anchor.second, 24);
                printed.read();
                EXPECT_TRUE(drawn == printed);
            }
        }
    }
}
