#include "GeneratedAssets.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// A sound read through libsndfile, as the game reads it.
struct Sound {
    SF_INFO info{};
    std::vector<short> samples;

    double seconds() const { return static_cast<double>(info.frames) / info.samplerate; }
    // Zero crossings per second between two times.
    double crossingRate(double from, double to) const
    {
        int crossings = 0;
        for (auto i = static_cast<std::size_t>(from * info.samplerate) + 1; i < to * info.samplerate; ++i) {
            crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
        }
        return crossings / (to - from);
    }
};

Sound load(const std::string& name)
{
    Sound sound;
    const auto path = GeneratedAssets::res("sounds/" + name);
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &sound.info), &sf_close);
    if (!file) {
        ADD_FAILURE() << "cannot open " << path;
        return sound;
    }
    sound.samples.resize(static_cast<std::size_t>(sound.info.frames * sound.info.channels));
    sf_read_short(file.get(), sound.samples.data(), static_cast<sf_count_t>(sound.samples.size()));
    return sound;
}

// The value that `share` of all entries stay at or below.
int percentile(std::vector<int> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

}

TEST(SoundAssets, BothSoundsAre16BitMonoWavAt44100HzLoudButNeverClipping)
{
    for (const char* name : {"engine.wav", "laser_shooting_sfx.wav"}) {
        SCOPED_TRACE(name);
        const Sound sound = load(name);
        EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(sound.info.channels, 1);
        EXPECT_EQ(sound.info.samplerate, 44100);
        int peak = 0;
        for (const short s : sound.samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_GT(peak, 20000);
        EXPECT_LT(peak, 32000);
    }
}

TEST(SoundAssets, EngineHumLoopsWithoutAClick)
{
    const Sound hum = load("engine.wav");
    ASSERT_GT(hum.samples.size(), 3u);
    EXPECT_GE(hum.seconds(), 1.0);
    EXPECT_LE(hum.seconds(), 4.0);
    const std::vector<short>& x = hum.samples;
    const std::size_t n = x.size();
    std::vector<int> steps;
    std::vector<int> bends;
    for (std::size_t i = 2; i < n; ++i) {
        steps.push_back(std::abs(x[i] - x[i - 1]));
        bends.push_back(std::abs(x[i] - 2 * x[i - 1] + x[i - 2]));
    }
    // Played in a loop, the last samples run on into the first ones: neither
    // the step across the joint nor its change of slope stands out.
    EXPECT_LE(std::abs(x[0] - x[n - 1]), percentile(steps, 0.99));
    EXPECT_LE(std::abs(x[0] - 2 * x[n - 1] + x[n - 2]), percentile(bends, 0.99));
    EXPECT_LE(std::abs(x[1] - 2 * x[0] + x[n - 1]), percentile(bends, 0.99));
}

TEST(SoundAssets, LaserShotIsAShortFallingZapThatStartsAndEndsInSilence)
{
    const Sound shot = load("laser_shooting_sfx.wav");
    ASSERT_GT(shot.samples.size(), 1000u);
    EXPECT_GE(shot.seconds(), 0.15);
    EXPECT_LE(shot.seconds(), 0.6);
    EXPECT_LE(std::abs(shot.samples.front()), 64);
    EXPECT_LE(std::abs(shot.samples.back()), 64);
    // The pitch falls: early on the wave crosses zero far more often.
    EXPECT_GT(shot.crossingRate(0.02, 0.06), 2.0 * shot.crossingRate(shot.seconds() - 0.15, shot.seconds() - 0.02));
}
