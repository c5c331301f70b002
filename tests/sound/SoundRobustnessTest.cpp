#include "SoundFiles.h"

#include "helpers/PlaySound.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <climits>

using Orbivane::Helpers::AudioData;
using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;

// 2.2 million samples at 1 Hz last about 25 days: more milliseconds than an
// int holds. A negative duration would end every shot the moment it starts.
TEST(SoundRobustness, DurationOfALongLowRateSoundSaturates)
{
    OrbivaneTest::TempWorkDir dir;
    SoundTest::writeWav(dir.path() / "long_low_rate.wav", std::vector<short>(2200000, 100), 1, 1);
    const std::string path = "long_low_rate.wav";
    auto& player = PlaySound::instance();
    player.play(path, PlayMode::Once);
    const AudioData& sound = player.sounds().at(path);
    EXPECT_EQ(sound.pcm.size(), 2200000u);
    EXPECT_EQ(sound.durationMs, INT_MAX);
    player.play(path, PlayMode::Stop);
    EXPECT_EQ(sound.state, PlayMode::Stop);
}
