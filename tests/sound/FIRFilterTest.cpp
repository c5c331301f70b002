#include "SoundFiles.h"

#include "helpers/PlaySound.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using Orbivane::Helpers::AudioData;
using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;

namespace {

std::vector<short> filtered(std::vector<short> samples)
{
    AudioData sound;
    sound.pcm = std::move(samples);
    PlaySound::instance().applyFIR(sound);
    return sound.pcm;
}

double rms(const std::vector<short>& samples, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

}

TEST(FIRFilter, PassesLowAndRemovesHighFrequencies)
{
    const int rate = 44100;
    const auto low = filtered(SoundTest::sine(4000, rate, 0.05 * rate, 10000));
    const auto high = filtered(SoundTest::sine(4000, rate, 0.35 * rate, 10000));
    EXPECT_NEAR(rms(low, 200, 3800), 10000.0 / std::sqrt(2.0), 80.0);
    EXPECT_LT(rms(high, 200, 3800), 100.0);
}

TEST(FIRFilter, ConstantSignalKeepsItsLevelAndRampsAtBothEnds)
{
    // Lengths below, at and above the filter's half width: shorter sounds
    // wrap around themselves like a loop and are faded over their length.
    for (const int length : {1, 2, 10, 62, 63, 64, 126, 127, 128, 1000}) {
        SCOPED_TRACE("length " + std::to_string(length));
        const auto out = filtered(std::vector<short>(static_cast<std::size_t>(length), 10000));
        ASSERT_EQ(out.size(), static_cast<std::size_t>(length));
        EXPECT_EQ(out.front(), 0);
        EXPECT_EQ(out.back(), 0);
        for (int k = 0; k < length; ++k) {
            const int edgeDistance = std::min({k, length - 1 - k, 63});
            EXPECT_NEAR(out[static_cast<std::size_t>(k)], 10000.0 * edgeDistance / 63.0, 2.0) << "sample " << k;
        }
    }
}

TEST(FIRFilter, OvershootOnFullScaleMaterialSaturates)
{
    std::vector<short> square(2000);
    for (std::size_t i = 0; i < square.size(); ++i) {
        square[i] = (i / 40) % 2 == 0 ? 32767 : -32767;
    }
    const auto out = filtered(square);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
    // Wrapped overshoot would flip the crest of a half-wave to the other sign.
    for (std::size_t k = 100; k < 1900; ++k) {
        const std::size_t phase = k % 40;
        if (phase >= 8 && phase < 32) {
            EXPECT_EQ(out[k] > 0, square[k] > 0) << "sample " << k;
        }
    }
}

TEST(FIRFilter, AppliesOnlyToSoundsLoadedWhileEnabled)
{
    OrbivaneTest::TempWorkDir dir;
    SoundTest::writeWav(dir.path() / "flat.wav", std::vector<short>(500, 8000), 1, 22050);
    auto& player = PlaySound::instance();

    player.setFIREnabled(true);
    player.play("flat.wav", PlayMode::Stop);
    player.setFIREnabled(false);
    player.play(".\\flat.wav", PlayMode::Stop);

    const auto& filteredPcm = player.sounds().at("flat.wav").pcm;
    const auto& plainPcm = player.sounds().at(".\\flat.wav").pcm;
    ASSERT_EQ(filteredPcm.size(), 500u);
    EXPECT_EQ(filteredPcm.front(), 0);
    EXPECT_NEAR(filteredPcm[250], 8000, 2);
    EXPECT_EQ(plainPcm, std::vector<short>(500, 8000));
}
