#pragma once

#include "HighScore.h"
#include "entities/GUI.h"
#include "rendering/FlatShapes.h"
#include "worlds/GameState.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>
#include <string>

namespace Orbivane {

namespace Worlds {
class World;
}

namespace Rendering {

// The overlay: the heads-up display over a finished frame (life bar, help,
// scores) and the full-screen messages that replace the scene. Text is laid
// out for the window's size, at first the one the world was created with.
class GUIPass {
public:
    GUIPass(GLuint frameBuffer, std::shared_ptr<Worlds::World> world);
    GUIPass(const GUIPass&) = delete;
    GUIPass& operator=(const GUIPass&) = delete;

    // Places the text for a window of this size; the switches stay as they are.
    void layOut(int width, int height);
    // Text cells of 24 pixels times `scale`, the desktop's content scale,
    // wherever they fit.
    void setTextScale(float scale);
    void renderLevelIntro(const Worlds::GameState& state);
    void render(const Worlds::GameState& state);
    void renderLifeBar(const Worlds::GameState& state);
    // The mission's progress beside the life bar, and "+1" over it for a
    // moment after each hit.
    void renderProgress(const Worlds::GameState& state);
    // A screen that ends the game, lost or won: its message, why it ended,
    // the score and the best score, and which keys go on from there.
    void renderEndScreen(Entities::GUI& message, const Worlds::GameState& state);
    // The reticle where the laser goes, given in normalised device coordinates.
    void renderReticle(const glm::vec2& aim);
    // An arrow at the window's edge, pointing along `direction` (window
    // axes, y up) to what lies off screen.
    void renderArrow(const glm::vec2& direction);
    // The table was saved and a new game begins: the table shows what was
    // saved, this game's last score among it.
    void tableSaved();

    GLuint m_FrameBuffer;
    std::string m_HighScoreText;
    std::shared_ptr<HighScore> m_HighScore;
    HighScore::Table m_HighScoreEntries;
    Entities::GUI m_LevelIntroText;
    Entities::GUI m_WonText;
    Entities::GUI m_GameEndText;
    Entities::GUI m_HelpText;
    Entities::GUI m_HighScoreTable;
    Entities::GUI m_CurrentScore;
    Entities::GUI m_LifeBar;
    Entities::GUI m_LostText;
    // Drawn over the last frame while the game is paused.
    Entities::GUI m_PausedText;
    Entities::GUI m_ProgressText;
    Entities::GUI m_HitText;
    Entities::GUI m_EndDetailText;
    Entities::GUI m_EndHintText;
    FlatShapes m_Marks;
    bool m_ShowScore = false;
    bool m_ShowHelp = false;
    bool m_Transparency = false;
    int m_TextCell = 24;

private:
    // The overlay's marks are laid out in window pixels, origin at the lower left.
    void drawMarks(const std::vector<glm::vec3>& corners, const glm::vec4& colour);
    // Rebuilds the score table's text for the lines it has room for and
    // this game's score.
    void showScoreTable();

    int m_Width = 0;
    int m_Height = 0;
    int m_TableLines = 0;
    int m_TableScore = 0;
};

}

}
