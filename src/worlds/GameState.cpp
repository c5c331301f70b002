#include "worlds/GameState.h"

#include <cmath>

namespace Orbivane::Worlds {

namespace {

// Four blinks a second, each hiding the ship for a little under half of it.
constexpr float kBlinkSeconds = 0.25f;
constexpr float kHiddenSeconds = 0.1f;

}

bool GameState::shipShown() const
{
    return !(graceLeft > 0.0f) || std::fmod(graceLeft, kBlinkSeconds) >= kHiddenSeconds;
}

}
