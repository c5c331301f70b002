#pragma once

#include <filesystem>
#include <vector>

namespace SoundTest {

// A 16-bit PCM WAV file; samples are interleaved when channels > 1.
void writeWav(const std::filesystem::path& file, const std::vector<short>& samples, int channels, int sampleRate);

std::vector<short> sine(int frames, int sampleRate, double frequency, short amplitude);

// What OpenAL's wave backend recorded: the first channel, as floats.
struct Recording {
    std::vector<float> samples;
    int sampleRate = 0;
};

Recording readRecording(const std::filesystem::path& file);

}
