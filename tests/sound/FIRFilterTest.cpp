#include "SoundFiles.h"

#include "helpers/PlaySound.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Orbivane::Helpers;

namespace {

std::vector<short> filtered(std::vector<short> samples)
{
    AudioData sound;
    sound.pcm = std::move(samples);
    PlaySound::instance().applyFIR(sound);
    return sound.pcm;
}

}

TEST(FIRFilter, PassesLowRemovesHighAndSaturatesOvershoot)
{
    EXPECT_NEAR(SoundTest::rms(filtered(SoundTest::sine(4000, 44100, 0.05 * 44100, 10000)), 200, 3800),
                10000.0 / std::sqrt(2.0), 80.0);
    EXPECT_LT(SoundTest::rms(filtered(SoundTest::sine(4000, 44100, 0.35 * 44100, 10000)), 200, 3800), 100.0);

    std::vector<short> square(2000);
    for (std::size_t i = 0; i < square.size(); ++i) {
        square[i] = (i / 40) % 2 == 0 ? 32767 : -32767;
    }
    const auto out = filtered(square);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
    // Wrapped overshoot would flip the crest of a half-wave to the other sign.
    for (std::size_t k = 100; k < 1900; ++k) {
        if (k % 40 >= 8 && k % 40 < 32) {
            EXPECT_EQ(out[k] > 0, square[k] > 0) << "sample " << k;
        }
    }
}

TEST(FIRFilter, ConstantSignalKeepsItsLevelAndRampsAtBothEnds)
{
    // Lengths below, at and above the filter's half width: shorter sounds
    // wrap around themselves like a loop and are faded over their length.
    for (const int length : {1, 2, 10, 62, 63, 64, 126, 127, 128, 1000}) {
        SCOPED_TRACE("length " + std::to_string(length));
        const auto out = filtered(std::vector<short>(static_cast<std::size_t>(length), 10000));
        ASSERT_EQ(out.size(), static_cast<std::size_t>(length));
        for (int k = 0; k < length; ++k) {
            const int edgeDistance = std::min({k, length - 1 - k, 63});
            EXPECT_NEAR(out[static_cast<std::size_t>(k)], 10000.0 * edgeDistance / 63.0, 2.0) << "sample " << k;
        }
    }
}
