#include "rendering/GUIPass.h"

#include "worlds/World.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace Orbivane::Rendering {

using Entities::GUI;

namespace {

// A score table longer than this is a list, not something to read at a glance.
constexpr std::ptrdiff_t kMostScoreLines = 10;

const char* const kHelpText =
    "HELP\nCONTROLS:\nMouse: Steer\nW: Accelerate\nS:Decelerate\nSpace:Shoot (Asteroids)\nEnter Play again\n"
    "Pad: Stick Steer, A Shoot\nRT/LT Faster/Slower, LB/RB Roll\nStart Pause, Back Toggle Help\n"
    "TAB Toggle Score\n"
    "F1 Toggle Help\nF2 Toggle FPS\nF3 Toggle Wireframe\nF4 Switch Texture Sampling\nF5 Switch Mipmapping\n"
    "F8 Toggle Frustum Culling\nF9 Transparency on/off\nP Pause\nM Mute\nF11 Full screen\nF12 Screenshot";

// The hint under both screens that end the game; the dot is U+00B7 in UTF-8,
// which the font has a glyph for.
const char* const kEndHint = "Enter: play again \xC2\xB7 Esc: save and quit";
constexpr int kSmallCell = 16;
// "+1" shows this long after a hit.
constexpr float kHitFlashSeconds = 1.0f;
// The reticle: four ticks round a gap that leaves the aimed-at point clear.
constexpr float kReticleGap = 5.0f;
constexpr float kReticleTick = 7.0f;
constexpr float kReticleThickness = 1.5f;
const glm::vec4 kReticleColour(0.45f, 1.0f, 0.55f, 0.9f);
// The arrow's tip stays this far inside the window's edge.
constexpr float kArrowMargin = 14.0f;
constexpr float kArrowLength = 18.0f;
constexpr float kArrowHalfWidth = 8.0f;
const glm::vec4 kArrowColour(1.0f, 0.75f, 0.3f, 0.9f);

// Placed by GUIPass::layOut.
GUI makeText(GLuint frameBuffer)
{
    return GUI(GUI::kText, 0.0f, 0.0f, -1.0f, -1.0f, frameBuffer, 0, 0);
}

// Glyphs as the font prints them: a UTF-8 sequence is one.
int glyphCount(const std::string& text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

std::string minutesAndSeconds(int seconds)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::string causeText(Worlds::DeathCause cause)
{
    switch (cause) {
    case Worlds::DeathCause::Asteroid: return "An asteroid hit you.\n";
    case Worlds::DeathCause::Sun: return "You flew into a sun.\n";
    case Worlds::DeathCause::BlackHole: return "The black hole swallowed you.\n";
    case Worlds::DeathCause::EnergyOut: return "Your energy ran out: hits refill it.\n";
    case Worlds::DeathCause::None: break;
    }
    return "";
}

// The best entries, as many as `lines` hold and at most ten. When this
// game's score would take a place below them, the last line gives that
// place, as "27. Ann 3".
std::string tableText(const HighScore::Table& entries, int lines, const std::string& player, int score)
{
    const auto above = std::count_if(entries.begin(), entries.end(), [score](const auto& entry) {
        return entry.first > score;
    });
    const std::ptrdiff_t place = above + 1;
    auto shown = std::min({kMostScoreLines, static_cast<std::ptrdiff_t>(lines),
                           static_cast<std::ptrdiff_t>(entries.size())});
    const bool placeBelow = place > shown;
    if (placeBelow) {
        shown = std::min(shown, static_cast<std::ptrdiff_t>(lines) - 1);
    }
    std::string text;
    for (auto entry = entries.begin(); shown-- > 0; ++entry) {
        text += entry->second + "\t" + std::to_string(entry->first) + "\n";
    }
    if (placeBelow) {
        text += std::to_string(place) + ". " + player + " " + std::to_string(score) + "\n";
    }
    return text;
}

}

GUIPass::GUIPass(GLuint frameBuffer, std::shared_ptr<Worlds::World> world)
    : m_FrameBuffer(frameBuffer), m_HighScore(world->getHighScore()), m_HighScoreEntries(m_HighScore->getScores()),
      m_LevelIntroText(makeText(0)), m_WonText(makeText(0)), m_GameEndText(makeText(0)),
      m_HelpText(makeText(frameBuffer)), m_HighScoreTable(makeText(frameBuffer)), m_CurrentScore(makeText(frameBuffer)),
      m_LifeBar(GUI::kBar, -0.95f, -0.9f, 0.05f, 0.2f, frameBuffer, world->m_Width, world->m_Height),
      m_LostText(makeText(0)), m_PausedText(makeText(0)), m_ProgressText(makeText(frameBuffer)),
      m_HitText(makeText(frameBuffer)), m_EndDetailText(makeText(0)), m_EndHintText(makeText(0))
{
    m_EndHintText.m_Text = kEndHint;
    m_HitText.m_Text = "+1";
    layOut(world->m_Width, world->m_Height);
    m_HelpText.m_Text = kHelpText;
    m_WonText.m_Text = "You've won, you're awesome!";
    m_GameEndText.m_Text = "This is it, you've reached the end of the game!\nThank you for playing!";
    m_LostText.m_Text = "LOST!\nYou have been delicious!";
    m_PausedText.m_Text = "PAUSED";
}

void GUIPass::layOut(int width, int height)
{
    const int cell = m_TextCell;
    for (GUI* text : {&m_LevelIntroText, &m_WonText, &m_GameEndText, &m_HelpText, &m_LostText}) {
        text->place(static_cast<float>(width / 4), static_cast<float>(height / 2), width, height, cell);
    }
    // The table's first line stays below the current score's, however large the text.
    const int tableTop = height - height / 3;
    const int scoreLine = height - height / 4;
    const int tableCell = std::max(1, std::min(cell, scoreLine - tableTop));
    m_HighScoreTable.place(static_cast<float>(width / 2), static_cast<float>(tableTop), width, height, tableCell);
    m_CurrentScore.place(static_cast<float>(width / 2), static_cast<float>(scoreLine), width, height, cell);
    // Centred, above the score line.
    m_PausedText.place(static_cast<float>(width / 2 - 4 * cell), static_cast<float>(height - height / 6), width,
                       height, cell);
    // Right of the life bar (x -0.9 in device coordinates), on its bottom
    // line (y -0.9), with "+1" level with its top (y -0.7).
    const int smallCell = std::max(1, cell * kSmallCell / 24);
    const int barRight = width / 20;
    m_ProgressText.place(static_cast<float>(barRight), static_cast<float>(height / 20), width, height, smallCell);
    m_HitText.place(static_cast<float>(barRight), static_cast<float>(height * 3 / 20), width, height, cell);
    // Under the end screens' messages, and centred near the bottom.
    m_EndDetailText.place(static_cast<float>(width / 4), static_cast<float>(height / 2 - 3 * cell), width, height,
                          smallCell);
    const int hintWidth = (glyphCount(kEndHint) + 1) * smallCell;
    m_EndHintText.place(static_cast<float>(std::max(0, (width - hintWidth) / 2)), static_cast<float>(height / 10),
                        width, height, smallCell);
    m_Width = width;
    m_Height = height;
    // As many lines as fit above the bottom edge in the smallest cells the
    // table may shrink to: the fit then never has to move it up.
    m_TableLines = tableTop / std::min(tableCell, Helpers::Text::kSmallestReadableCell) + 1;
    showScoreTable();
}

void GUIPass::setTextScale(float scale)
{
    m_TextCell = std::max(1, static_cast<int>(std::lround(24.0f * scale)));
    layOut(m_Width, m_Height);
}

void GUIPass::tableSaved()
{
    m_HighScoreEntries = m_HighScore->getScores();
    showScoreTable();
}

void GUIPass::showScoreTable()
{
    m_TableScore = m_HighScore->m_Score;
    m_HighScoreText = tableText(m_HighScoreEntries, m_TableLines, m_HighScore->m_PlayerName, m_TableScore);
    m_HighScoreTable.m_Text = m_HighScoreText;
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
    renderProgress(state);
    if (m_ShowHelp) {
        m_HelpText.draw();
    }
    if (m_ShowScore) {
        if (m_HighScore->m_Score != m_TableScore) {
            showScoreTable();
        }
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

void GUIPass::renderProgress(const Worlds::GameState& state)
{
    std::string& text = m_ProgressText.m_Text;
    text.clear();
    if (state.shootTarget > 0) {
        text = "Rocks " + std::to_string(state.asteroidsShot) + "/" + std::to_string(state.shootTarget);
    }
    if (state.surviveSeconds > 0) {
        text += (text.empty() ? "" : "  ") + minutesAndSeconds(state.secondsSurvived) + " / " +
                minutesAndSeconds(state.surviveSeconds);
    }
    if (!text.empty()) {
        m_ProgressText.draw();
    }
    if (state.secondsSinceHit >= 0.0f && state.secondsSinceHit < kHitFlashSeconds) {
        m_HitText.draw();
    }
}

void GUIPass::renderEndScreen(Entities::GUI& message, const Worlds::GameState& state)
{
    message.draw();
    int best = m_HighScore->m_Score;
    const HighScore::Table& table = m_HighScore->m_Scores;
    if (!table.empty()) {
        best = std::max(best, table.begin()->first);
    }
    m_EndDetailText.m_Text = causeText(state.cause) + "Score: " + std::to_string(m_HighScore->m_Score) +
                             "   Best: " + std::to_string(best);
    m_EndDetailText.draw();
    m_EndHintText.draw();
}

void GUIPass::renderReticle(const glm::vec2& aim)
{
    const glm::vec2 centre((aim * 0.5f + 0.5f) * glm::vec2(m_Width, m_Height));
    std::vector<glm::vec3> corners;
    for (const glm::vec2 along : {glm::vec2(1, 0), glm::vec2(-1, 0), glm::vec2(0, 1), glm::vec2(0, -1)}) {
        const glm::vec2 across(-along.y * kReticleThickness, along.x * kReticleThickness);
        const glm::vec2 inner = centre + along * kReticleGap;
        const glm::vec2 outer = centre + along * (kReticleGap + kReticleTick);
        corners.insert(corners.end(), {glm::vec3(inner - across, 0), glm::vec3(outer - across, 0),
                                       glm::vec3(outer + across, 0), glm::vec3(inner - across, 0),
                                       glm::vec3(outer + across, 0), glm::vec3(inner + across, 0)});
    }
    drawMarks(corners, kReticleColour);
}

void GUIPass::renderArrow(const glm::vec2& direction)
{
    const glm::vec2 half(m_Width * 0.5f, m_Height * 0.5f);
    const glm::vec2 along = glm::normalize(direction);
    constexpr float kNowhere = std::numeric_limits<float>::infinity();
    // As far out from the centre as the margin allows, on the way to the target.
    const float reachX = along.x == 0.0f ? kNowhere : (half.x - kArrowMargin) / std::abs(along.x);
    const float reachY = along.y == 0.0f ? kNowhere : (half.y - kArrowMargin) / std::abs(along.y);
    const glm::vec2 tip = half + along * std::max(std::min(reachX, reachY), kArrowLength);
    const glm::vec2 base = tip - along * kArrowLength;
    const glm::vec2 across(-along.y * kArrowHalfWidth, along.x * kArrowHalfWidth);
    drawMarks({glm::vec3(tip, 0), glm::vec3(base + across, 0), glm::vec3(base - across, 0)}, kArrowColour);
}

void GUIPass::drawMarks(const std::vector<glm::vec3>& corners, const glm::vec4& colour)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_FrameBuffer);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const glm::mat4 pixels = glm::ortho(0.0f, static_cast<float>(m_Width), 0.0f, static_cast<float>(m_Height));
    m_Marks.draw(corners, pixels, colour);
    glDisable(GL_BLEND);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

void GUIPass::renderLifeBar(const Worlds::GameState& state)
{
    m_LifeBar.m_Value = state.alive ? std::clamp(state.lifeLeft, 0.0f, 1.0f) : 0.0f;
    m_LifeBar.draw();
}

}
