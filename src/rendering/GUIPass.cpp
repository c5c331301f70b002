#include "rendering/GUIPass.h"

#include "worlds/World.h"

#include <algorithm>
#include <cstdio>

namespace Orbivane::Rendering {

using Entities::GUI;

namespace {

const char* const kHelpText =
    "HELP\nCONTROLS:\nMouse: Steer\nW: Accelerate\nS:Decelerate\nSpace:Shoot (Asteroids)\nTAB Toggle Score\n"
    "F1 Toggle Help\nF2 Toggle FPS\nF3 Toggle Wireframe\nF4 Switch Texture Sampling\nF5 Switch Mipmapping\n"
    "F8 Toggle Frustum Culling\nF9 Transparency on/off\nP Pause\nF11 Full screen\nF12 Screenshot";

// Placed by GUIPass::layOut.
GUI makeText(GLuint frameBuffer)
{
    return GUI(GUI::kText, 0.0f, 0.0f, -1.0f, -1.0f, frameBuffer, 0, 0);
}

std::string tableText(const HighScore::Table& entries)
{
    std::string text;
    for (const auto& [score, names] : entries) {
        text += names + "\t" + std::to_string(score) + "\n";
    }
    return text;
}

}

GUIPass::GUIPass(GLuint frameBuffer, std::shared_ptr<Worlds::World> world)
    : m_FrameBuffer(frameBuffer), m_HighScore(world->getHighScore()), m_HighScoreEntries(m_HighScore->getScores()),
      m_LevelIntroText(makeText(0)), m_WonText(makeText(0)), m_GameEndText(makeText(0)),
      m_HelpText(makeText(frameBuffer)), m_HighScoreTable(makeText(frameBuffer)), m_CurrentScore(makeText(frameBuffer)),
      m_LifeBar(GUI::kBar, -0.95f, -0.9f, 0.05f, 0.2f, frameBuffer, world->m_Width, world->m_Height),
      m_LostText(makeText(0)), m_PausedText(makeText(0))
{
    layOut(world->m_Width, world->m_Height);
    m_HelpText.m_Text = kHelpText;
    m_HighScoreText = tableText(m_HighScoreEntries);
    m_HighScoreTable.m_Text = m_HighScoreText;
    m_WonText.m_Text = "You've won, you're awesome!";
    m_GameEndText.m_Text = "This is it, you've reached the end of the game!\nThank you for playing!";
    m_LostText.m_Text = "LOST!\nYou have been delicious!";
    m_PausedText.m_Text = "PAUSED";
}

void GUIPass::layOut(int width, int height)
{
    for (GUI* text : {&m_LevelIntroText, &m_WonText, &m_GameEndText, &m_HelpText, &m_LostText}) {
        text->place(static_cast<float>(width / 4), static_cast<float>(height / 2), width, height);
    }
    m_HighScoreTable.place(static_cast<float>(width / 2), static_cast<float>(height - height / 3), width, height);
    m_CurrentScore.place(static_cast<float>(width / 2), static_cast<float>(height - height / 4), width, height);
    // Centred, above the score line.
    m_PausedText.place(static_cast<float>(width / 2 - 4 * 24), static_cast<float>(height - height / 6), width, height);
}

void GUIPass::renderLevelIntro(const Worlds::GameState& state)
{
    std::string& text = m_LevelIntroText.m_Text;
    text = "Level " + std::to_string(state.levelNumber) + "\n" + state.levelName + "\nYour Mission: ";
    if (state.shootTarget > 0) {
        text += " Shoot " + std::to_string(state.shootTarget) + " Asteroids!\n";
    }
    if (state.surviveSeconds > 0) {
        text += " Survive " + std::to_string(state.surviveSeconds) + " seconds!\n";
    }
    m_LevelIntroText.draw();
}

void GUIPass::render(const Worlds::GameState& state)
{
    if (m_Transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
    renderLifeBar(state);
    if (m_ShowHelp) {
        m_HelpText.draw();
    }
    if (m_ShowScore) {
        m_HighScoreTable.draw();
        char score[32];
        std::snprintf(score, sizeof score, "Current Score: %d", m_HighScore->m_Score);
        // Assigning into the existing string reuses its storage frame after frame.
        m_CurrentScore.m_Text.assign(score);
        m_CurrentScore.draw();
    }
    if (m_Transparency) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
    }
}

void GUIPass::renderLifeBar(const Worlds::GameState& state)
{
    m_LifeBar.m_Value = state.alive ? std::clamp(state.lifeLeft, 0.0f, 1.0f) : 0.0f;
    m_LifeBar.draw();
}

}
