#include "SoundFiles.h"

#include "helpers/PlaySound.h"
#include "support/GameProcess.h"
#include "support/TempWorkDir.h"

#include <AL/alc.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <fstream>
#include <thread>

using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;

namespace fs = std::filesystem;

// OpenAL picks its backend once per process, and the wave backend finishes
// its file only when the device closes. So each scenario below runs in a
// fresh copy of this program, started by the tests further down, which then
// listen to what was recorded.
namespace {

constexpr const char* kScenarioDir = "ORBIVANE_SOUND_SCENARIO_DIR";
constexpr int kRate = 44100;

fs::path scenarioDir()
{
    const char* dir = std::getenv(kScenarioDir);
    return dir == nullptr ? fs::path() : fs::path(dir);
}

void waitUntil(double seconds)
{
    while (glfwGetTime() < seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void closeAudioDevice()
{
    ALCcontext* context = alcGetCurrentContext();
    ASSERT_NE(context, nullptr);
    ALCdevice* device = alcGetContextsDevice(context);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

}

// A shot requested twice while it plays and once after it ended, then the
// engine hum looped for a second and stopped.
TEST(SoundScenario, DISABLED_ShotsThenALoop)
{
    if (scenarioDir().empty()) {
        GTEST_SKIP() << "started by PlaybackCapture only";
    }
    const std::string shot = (scenarioDir() / "shot.wav").string();
    const std::string hum = (scenarioDir() / "hum.wav").string();
    auto& player = PlaySound::instance();
    player.play(shot, PlayMode::Stop);
    player.play(hum, PlayMode::Stop);
    const double start = glfwGetTime();
    const std::pair<double, std::function<void()>> script[] = {
        {0.3, [&] { player.play(shot, PlayMode::Once); }}, {0.4, [&] { player.play(shot, PlayMode::Once); }},
        {1.2, [&] { player.play(shot, PlayMode::Once); }}, {2.2, [&] { player.play(hum, PlayMode::Loop); }},
        {3.2, [&] { player.play(hum, PlayMode::Stop); }},  {3.8, closeAudioDevice},
    };
    for (const auto& [at, action] : script) {
        waitUntil(start + at);
        action();
    }
}

TEST(SoundScenario, DISABLED_NoAudioDevice)
{
    if (scenarioDir().empty()) {
        GTEST_SKIP() << "started by PlaybackCapture only";
    }
    const std::string shot = (scenarioDir() / "shot.wav").string();
    auto& player = PlaySound::instance();
    player.setFIREnabled(true);
    for (const PlayMode mode : {PlayMode::Once, PlayMode::Loop, PlayMode::Stop, PlayMode::Loop, PlayMode::Once}) {
        player.play(shot, mode);
        player.play((scenarioDir() / "absent.wav").string(), mode);
    }
    EXPECT_EQ(alcGetCurrentContext(), nullptr);
    EXPECT_EQ(player.sounds().at(shot).pcm.size(), static_cast<std::size_t>(kRate * 6 / 10));
}

namespace {

struct Burst {
    double start;
    double end;
};

// Stretches of 10 ms windows whose RMS lies above the threshold.
std::vector<Burst> bursts(const SoundTest::Recording& recording, double threshold)
{
    const std::size_t window = static_cast<std::size_t>(recording.sampleRate / 100);
    std::vector<Burst> found;
    bool inside = false;
    for (std::size_t from = 0; from + window <= recording.samples.size(); from += window) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + window; ++i) {
            sum += static_cast<double>(recording.samples[i]) * recording.samples[i];
        }
        const bool loud = std::sqrt(sum / static_cast<double>(window)) > threshold;
        const double time = static_cast<double>(from) / recording.sampleRate;
        if (loud && !inside) {
            found.push_back({time, time});
        }
        if (loud) {
            found.back().end = time + 0.01;
        }
        inside = loud;
    }
    return found;
}

float peak(const SoundTest::Recording& recording, double from)
{
    float loudest = 0.0f;
    for (std::size_t i = static_cast<std::size_t>(from * recording.sampleRate); i < recording.samples.size(); ++i) {
        loudest = std::max(loudest, std::abs(recording.samples[i]));
    }
    return loudest;
}

class PlaybackCapture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A shot: a loud 30 ms attack, then a quieter tail, 600 ms in all.
        auto shot = SoundTest::sine(kRate * 6 / 10, kRate, 1000.0, 3000);
        const auto attack = SoundTest::sine(kRate * 3 / 100, kRate, 1000.0, 24000);
        std::copy(attack.begin(), attack.end(), shot.begin());
        SoundTest::writeWav(m_Dir.path() / "shot.wav", shot, 1, kRate);
        // A hum of 100 whole periods, 100 ms, so that it loops seamlessly.
        SoundTest::writeWav(m_Dir.path() / "hum.wav", SoundTest::sine(kRate / 10, kRate, 1000.0, 5000), 1, kRate);
        std::ofstream(m_Dir.path() / "alsoft.conf") << "[wave]\nfile=" << recordingFile().string() << "\n";
    }

    fs::path recordingFile() const { return m_Dir.path() / "recording.wav"; }

    // Runs one scenario in a child process with the given OpenAL backend and
    // reports whether exactly that scenario ran and passed.
    ::testing::AssertionResult runScenario(const std::string& scenario, const std::string& drivers) const
    {
        OrbivaneTest::GameProcess child(m_Dir.path(),
                                        {{"ALSOFT_DRIVERS", drivers},
                                         {"ALSOFT_CONF", (m_Dir.path() / "alsoft.conf").string()},
                                         {kScenarioDir, m_Dir.path().string()}},
                                        {"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                         "--gtest_filter=SoundScenario.DISABLED_" + scenario});
        const std::optional<int> status = child.waitForExit(std::chrono::seconds(60));
        if (status != 0 || child.output().find("[  PASSED  ] 1 test.") == std::string::npos) {
            return ::testing::AssertionFailure() << scenario << " failed (status " << status.value_or(-1) << "):\n"
                                                 << child.output();
        }
        return ::testing::AssertionSuccess();
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

}

TEST_F(PlaybackCapture, ShotIsHeardOnceUntilItEndsAndALoopUntilItIsStopped)
{
    ASSERT_TRUE(runScenario("ShotsThenALoop", "wave"));
    const auto recording = SoundTest::readRecording(recordingFile());
    ASSERT_EQ(recording.sampleRate, kRate);
    const float loudest = peak(recording, 0.0);
    ASSERT_GT(loudest, 0.1f);

    // The request at 0.4 s fell inside the first shot and was dropped: a
    // restart would have shown a third attack and a longer first shot.
    const auto attacks = bursts(recording, 0.25 * loudest);
    const auto heard = bursts(recording, 0.03 * loudest);
    ASSERT_EQ(attacks.size(), 2u);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_GT(heard[0].start, 0.2);
    EXPECT_LT(heard[0].start, 0.55);
    EXPECT_NEAR(heard[0].end - heard[0].start, 0.6, 0.06);
    EXPECT_NEAR(heard[1].end - heard[1].start, 0.6, 0.06);
    EXPECT_NEAR(heard[1].start - heard[0].start, 0.9, 0.2);
    EXPECT_NEAR(attacks[0].start, heard[0].start, 0.011);
    EXPECT_NEAR(attacks[1].start, heard[1].start, 0.011);
    // The hum: ten times its own length, then nothing at all.
    EXPECT_NEAR(heard[2].start - heard[0].start, 1.9, 0.2);
    EXPECT_NEAR(heard[2].end - heard[2].start, 1.0, 0.2);
    const double afterStop = heard[2].end + 0.02;
    ASSERT_GT(static_cast<double>(recording.samples.size()) / kRate, afterStop + 0.3);
    EXPECT_LT(peak(recording, afterStop), 1e-4f);
}

TEST_F(PlaybackCapture, NoAudioDeviceMeansSilenceNotACrash)
{
    EXPECT_TRUE(runScenario("NoAudioDevice", "no-such-backend"));
    EXPECT_FALSE(fs::exists(recordingFile()));
}
