#pragma once

#include <vector>

namespace Orbivane {

// Chooses the share of the window's size the scene is drawn at, so that the
// frame rate holds a target: full size whenever the machine holds it, less
// when frames are too slow, more again when there is room. It knows no
// clock: it is told how long each frame of the scene took.
//
// It settles first, judging every half second, and aims a little above the
// target; a scale found too slow is not tried again while settling. Once a
// judgement keeps the scale, or five seconds have passed, it is settled and
// changes at most once in twenty seconds: then only a frame rate clearly
// below the target, or plenty of room above it, moves the scale.
class SceneScaleController {
public:
    static constexpr float kLowestScale = 0.25f;
    // Scales are whole multiples of this step.
    static constexpr float kStep = 0.05f;

    SceneScaleController(int targetFrameRate, float startScale);

    // Waiting for the display, no frame rate passes its refresh rate: a
    // target near it would be missed by every frame and the scene shrink for
    // nothing, so the target is held a tenth below the refresh rate. A
    // refresh rate of 0 is not known, or not waited for.
    static int reachableTarget(int targetFrameRate, int refreshRate);

    // One more frame of the scene took `seconds`, from one shown picture to
    // the next. Returns whether the scale changed.
    bool frameDrawn(double seconds);
    // The window changed size: what was measured no longer holds, and the
    // scale settles anew.
    void restart();
    float scale() const { return static_cast<float>(m_Steps) * kStep; }
    bool settled() const { return m_Settled; }

private:
    struct Measurement {
        int steps;
        double frameSeconds;
    };
    // Frame time = fixed + perFullScene * scale², fitted to what was measured.
    struct CostModel {
        double fixed;
        double perFullScene;
    };

    int judge(double frameSeconds) const;
    CostModel costModel() const;
    // The largest scale whose predicted frame rate is at least `frameRate`.
    int largestStepsFor(double frameRate) const;
    void change(int steps);

    double m_Target;
    int m_Steps;
    bool m_Settled = false;
    // While settling: the smallest scale found too slow (exclusive bound).
    int m_TooSlowSteps;
    double m_SinceRestart = 0.0;
    double m_SinceChange = 0.0;
    int m_FramesToSkip = 0;
    double m_WindowSeconds = 0.0;
    int m_WindowFrames = 0;
    std::vector<Measurement> m_Measurements;
};

}
