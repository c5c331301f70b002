#pragma once

#include <cmath>
#include <filesystem>
#include <vector>

namespace SoundTest {

// A 16-bit PCM WAV file; samples are interleaved when channels > 1.
void writeWav(const std::filesystem::path& file, const std::vector<short>& samples, int channels, int sampleRate);

std::vector<short> sine(int frames, int sampleRate, double frequency, short amplitude);

template <typename Sample>
double rms(const std::vector<Sample>& samples, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

// What OpenAL's wave backend recorded, as floats; a recording of another
// rate or channel count than mono at `sampleRate` is an error.
std::vector<float> readRecording(const std::filesystem::path& file, int sampleRate);

}
