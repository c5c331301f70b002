#pragma once

#include "HighScore.h"
#include "entities/GUI.h"
#include "worlds/GameState.h"

#include <GL/glew.h>

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
    void renderLevelIntro(const Worlds::GameState& state);
    void render(const Worlds::GameState& state);
    void renderLifeBar(const Worlds::GameState& state);

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
    bool m_ShowScore = false;
    bool m_ShowHelp = false;
    bool m_Transparency = false;
};

}

}
