#pragma once

#include <limits>
#include <string>

namespace Orbivane::Worlds {

// What ended the game, for the player to read on the lost screen.
enum class DeathCause { None, Asteroid, Sun, BlackHole, EnergyOut };

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
    DeathCause cause = DeathCause::None;
    // The mission's progress: hits counted as the mission counts them, and
    // the level's seconds rounded as the mission rounds them.
    int asteroidsShot = 0;
    int secondsSurvived = 0;
    // Seconds left in which a collision cannot destroy the ship; it blinks meanwhile.
    float graceLeft = 0.0f;
    float secondsSinceHit = std::numeric_limits<float>::infinity();

    // Whether the ship shows in this frame: hidden for part of each blink
    // while the start grace lasts.
    bool shipShown() const;
};

}
