#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// A sound of the built game as the game reads it; the format must be 16-bit mono WAV at 44100 Hz.
std::vector<short> readSound(const std::string& name)
{
    SF_INFO info{};
    const std::string path = std::string(ORBIVANE_GAME_DIR) + "/res/sounds/" + name;
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info), &sf_close);
    EXPECT_TRUE(file && info.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_16) && info.channels == 1 &&
                info.samplerate == 44100);
    std::vector<short> samples(file ? static_cast<std::size_t>(info.frames * info.channels) : 0);
    if (file) {
        EXPECT_EQ(sf_read_short(file.get(), samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
    }
    return samples;
}

}

TEST(SoundAssets, BothSoundsAreAudibleWithoutClipping)
{
    for (const char* name : {"engine.wav", "laser_shooting_sfx.wav"}) {
        SCOPED_TRACE(name);
        const std::vector<short> samples = readSound(name);
        ASSERT_FALSE(samples.empty());
        const auto [quietest, loudest] = std::minmax_element(samples.begin(), samples.end());
        EXPECT_GT(std::max(-*quietest, +*loudest), 3000) << "silent";
        EXPECT_LT(std::max(-*quietest, +*loudest), 32000) << "clipped";
    }
}

// The hum is looped: its loop point must be no rougher than 999 in 1000 of
// its samples (how far a sample strays from the line through the two before
// it), or it clicks. The shot starts and ends in silence, without a click.
TEST(SoundAssets, TheHumLoopsWithoutAClickAndTheShotStartsAndEndsInSilence)
{
    const std::vector<short> hum = readSound("engine.wav");
    const std::size_t n = hum.size();
    ASSERT_GT(n, 1000u);
    std::vector<int> roughness(n);
    for (std::size_t i = 0; i < n; ++i) {
        roughness[i] = std::abs(hum[i] - 2 * hum[(i + n - 1) % n] + hum[(i + n - 2) % n]);
    }
    const int atLoopPoint = std::max(roughness[0], roughness[1]);
    std::nth_element(roughness.begin(), roughness.begin() + n * 999 / 1000, roughness.end());
    EXPECT_LE(atLoopPoint, roughness[n * 999 / 1000]);

    const std::vector<short> shot = readSound("laser_shooting_sfx.wav");
    ASSERT_FALSE(shot.empty());
    EXPECT_LE(std::abs(shot.front()) + std::abs(shot.back()), 16);
}
