#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// The game reads its sounds through libsndfile into 16-bit mono buffers at 44100 Hz.
TEST(SoundAssets, BothSoundsAre16BitMonoWavAt44100HzAndAudible)
{
    for (const char* name : {"engine.wav", "laser_shooting_sfx.wav"}) {
        SCOPED_TRACE(name);
        SF_INFO info{};
        const std::string path = std::string(ORBIVANE_GAME_DIR) + "/res/sounds/" + name;
        const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info), &sf_close);
        ASSERT_TRUE(file);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.samplerate, 44100);
        std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
        ASSERT_EQ(sf_read_short(file.get(), samples.data(), static_cast<sf_count_t>(samples.size())),
                  static_cast<sf_count_t>(samples.size()));
        const auto [quietest, loudest] = std::minmax_element(samples.begin(), samples.end());
        EXPECT_GT(std::max(-*quietest, +*loudest), 3000) << "silent";
    }
}
