#include "SceneScaleController.h"

#include <algorithm>
#include <cmath>

namespace Orbivane {

namespace {

constexpr int kFullSteps = 20;
constexpr int kLowestSteps = static_cast<int>(SceneScaleController::kLowestScale / SceneScaleController::kStep + 0.5f);
// Aimed at when a new scale is chosen, so that the read-out shows at least the target.
constexpr double kAimAboveTarget = 1.1;
// Settled, the scale goes down only below this share of the target, and up
// only where the model promises this much more than the aim: noise of a few
// percent moves nothing.
constexpr double kSettledSlowShare = 0.95;
constexpr double kSettledRoomShare = 1.05;
constexpr double kSettlingSeconds = 5.0;
constexpr double kSettledChangeSeconds = 20.0;
// Frame times are averaged over this long, and at least this many frames.
constexpr double kSettlingWindowSeconds = 0.5;
constexpr double kSettledWindowSeconds = 2.0;
constexpr int kWindowFrames = 3;
// The first frames at a new scale also make its targets and may compile
// shader variants; a single frame this long is a stall, not the scene.
constexpr int kFramesSkippedAfterChange = 2;
constexpr double kLongestFrameSeconds = 1.0;
// Before two scales are measured, this share of the frame is taken as the
// part that does not depend on the pixels. Assumed too small, the first step
// down falls short and the next, fitted, one completes it; assumed too large,
// it overshoots and the fit brings the scale back up.
constexpr double kAssumedFixedShare = 0.3;
// Two measurements fit the model only if their pixel counts differ this much
// (in shares of the full scene): closer ones are drowned by noise.
constexpr double kLeastFittedDifference = 0.1;
constexpr std::size_t kKeptMeasurements = 8;

double squared(int steps)
{
    const double scale = steps * static_cast<double>(SceneScaleController::kStep);
    return scale * scale;
}

}

int SceneScaleController::reachableTarget(int targetFrameRate, int refreshRate)
{
    return refreshRate > 0 ? std::min(targetFrameRate, refreshRate * 9 / 10) : targetFrameRate;
}

SceneScaleController::SceneScaleController(int targetFrameRate, float startScale)
    : m_Target(targetFrameRate),
      m_Steps(std::clamp(static_cast<int>(std::lround(startScale / kStep)), kLowestSteps, kFullSteps)),
      m_TooSlowSteps(kFullSteps + 1)
{
    restart();
}

void SceneScaleController::restart()
{
    m_Settled = false;
    m_TooSlowSteps = kFullSteps + 1;
    m_SinceRestart = 0.0;
    m_FramesToSkip = kFramesSkippedAfterChange;
    m_WindowSeconds = 0.0;
    m_WindowFrames = 0;
    m_Measurements.clear();
}

bool SceneScaleController::frameDrawn(double seconds)
{
    m_SinceRestart += seconds;
    m_SinceChange += seconds;
    if (m_FramesToSkip > 0) {
        --m_FramesToSkip;
        return false;
    }
    if (seconds > kLongestFrameSeconds) {
        return false;
    }
    m_WindowSeconds += seconds;
    ++m_WindowFrames;
    const double window = m_Settled ? kSettledWindowSeconds : kSettlingWindowSeconds;
    if (m_WindowSeconds < window || m_WindowFrames < kWindowFrames) {
        return false;
    }
    const double frameSeconds = m_WindowSeconds / m_WindowFrames;
    m_WindowSeconds = 0.0;
    m_WindowFrames = 0;
    if (m_Measurements.size() == kKeptMeasurements) {
        m_Measurements.erase(m_Measurements.begin());
    }
    m_Measurements.push_back({m_Steps, frameSeconds});

    const int steps = judge(frameSeconds);
    if (!m_Settled && (steps == m_Steps || m_SinceRestart >= kSettlingSeconds)) {
        m_Settled = true;
    }
    if (steps == m_Steps) {
        return false;
    }
    change(steps);
    return true;
}

int SceneScaleController::judge(double frameSeconds) const
{
    const double frameRate = 1.0 / frameSeconds;
    const int oneStepDown = std::max(m_Steps - 1, kLowestSteps);
    if (!m_Settled) {
        if (frameRate < m_Target) {
            return std::min(largestStepsFor(m_Target * kAimAboveTarget), oneStepDown);
        }
        return std::max(m_Steps, std::min(largestStepsFor(m_Target * kAimAboveTarget), m_TooSlowSteps - 1));
    }
    if (m_SinceChange < kSettledChangeSeconds) {
        return m_Steps;
    }
    if (frameRate < m_Target * kSettledSlowShare) {
        return std::min(largestStepsFor(m_Target * kAimAboveTarget), oneStepDown);
    }
    if (frameRate >= m_Target * kAimAboveTarget) {
        return std::max(m_Steps, largestStepsFor(m_Target * kAimAboveTarget * kSettledRoomShare));
    }
    return m_Steps;
}

SceneScaleController::CostModel SceneScaleController::costModel() const
{
    const Measurement& latest = m_Measurements.back();
    for (auto earlier = m_Measurements.rbegin() + 1; earlier != m_Measurements.rend(); ++earlier) {
        const double pixelDifference = squared(latest.steps) - squared(earlier->steps);
        if (std::fabs(pixelDifference) < kLeastFittedDifference) {
            continue;
        }
        const double perFullScene = (latest.frameSeconds - earlier->frameSeconds) / pixelDifference;
        const double fixed = latest.frameSeconds - perFullScene * squared(latest.steps);
        // Noise can make fewer pixels look slower; such a fit says nothing.
        if (perFullScene > 0.0 && fixed >= 0.0) {
            return {fixed, perFullScene};
        }
        break;
    }
    return {kAssumedFixedShare * latest.frameSeconds,
            (1.0 - kAssumedFixedShare) * latest.frameSeconds / squared(latest.steps)};
}

int SceneScaleController::largestStepsFor(double frameRate) const
{
    const CostModel model = costModel();
    int steps = kFullSteps;
    while (steps > kLowestSteps && model.fixed + model.perFullScene * squared(steps) > 1.0 / frameRate) {
        --steps;
    }
    return steps;
}

void SceneScaleController::change(int steps)
{
    if (!m_Settled && steps < m_Steps) {
        m_TooSlowSteps = m_Steps;
    }
    m_Steps = steps;
    m_SinceChange = 0.0;
    m_FramesToSkip = kFramesSkippedAfterChange;
    m_WindowSeconds = 0.0;
    m_WindowFrames = 0;
}

}
