#pragma once

#include <functional>

namespace Orbivane {

// Stops the game's time. Every timer of the game reads the GLFW clock, so
// setting that clock back by the time spent paused when play resumes lets
// each of them go on from where it stopped. While paused the clock itself
// runs on, so that what still works (the display switches) keeps its timing.
class Pause {
public:
    bool active() const { return m_Active; }
    void begin();
    // Sets the clock back to the moment of pausing; returns the seconds spent paused.
    double end();
    // Runs `action` with the clock showing the moment of pausing, so that
    // whatever it reads sees no time passed; the clock then runs on as before.
    void atPauseTime(const std::function<void()>& action) const;

private:
    bool m_Active = false;
    double m_StartedAt = 0.0;
};

}
