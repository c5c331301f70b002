#pragma once

#include <string>

namespace Orbivane::Worlds {

// What one simulation step tells the renderer and the overlay.
struct GameState {
    bool alive = true;
    float lifeLeft = 0.0f;
    bool levelIntro = false;
    int levelNumber = 0;
    std::string levelName;
    int shootTarget = 0;
    int surviveSeconds = 0;
    bool levelComplete = false;
    bool gameWon = false;
};

}
