#include "SoundFiles.h"

#include "support/GLTestContext.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace SoundTest {

namespace {

// Every test in this program shares one player, and so one OpenAL device:
// the null backend here, unless a capture scenario was started with its own.
class SoundEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        // The player's clock is GLFW's.
        OrbivaneTest::initGLFW();
    }
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SoundEnvironment);

}

void writeWav(const std::filesystem::path& file, const std::vector<short>& samples, int channels, int sampleRate)
{
    SF_INFO info{0, sampleRate, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (out == nullptr) {
        throw std::runtime_error("cannot write " + file.string());
    }
    sf_write_short(out, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(out);
}

std::vector<short> sine(int frames, int sampleRate, double frequency, short amplitude)
{
    std::vector<short> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        samples[static_cast<std::size_t>(i)] =
            static_cast<short>(amplitude * std::sin(2.0 * M_PI * frequency * i / sampleRate));
    }
    return samples;
}

std::vector<float> readRecording(const std::filesystem::path& file, int sampleRate)
{
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> in(sf_open(file.c_str(), SFM_READ, &info), &sf_close);
    if (!in || info.samplerate != sampleRate || info.channels != 1) {
        throw std::runtime_error("no mono recording at " + std::to_string(sampleRate) + " Hz in " + file.string());
    }
    std::vector<float> samples(static_cast<std::size_t>(info.frames));
    samples.resize(static_cast<std::size_t>(sf_read_float(in.get(), samples.data(), info.frames)));
    return samples;
}

}
