// Any bytes as a sound file, loaded with and without the low-pass filter:
// decoding never crashes, keeps the first channel of every whole frame the
// file holds, and its byte size and duration agree with that sample count.
#include "ScratchDir.h"

#include "helpers/PlaySound.h"

#include <sndfile.h>

#include <climits>
#include <cstdlib>
#include <memory>

using Orbivane::Helpers::AudioData;
using Orbivane::Helpers::PlaySound;
using OrbivaneFuzz::fail;

namespace {

// The first channel of every frame the file really holds, read frame by frame.
std::vector<short> firstChannel(const std::string& path, int& sampleRate)
{
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info), &sf_close);
    std::vector<short> samples;
    sampleRate = 0;
    if (!file || info.channels < 1) {
        return samples;
    }
    sampleRate = info.samplerate;
    std::vector<short> frame(static_cast<std::size_t>(info.channels));
    while (samples.size() < INT_MAX / 2 && sf_readf_short(file.get(), frame.data(), 1) == 1) {
        samples.push_back(frame[0]);
    }
    return samples;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("ALSOFT_DRIVERS", "null", 1);
    OrbivaneFuzz::enterScratchDir();
    return 0;
}

// The first byte chooses the filter, the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const bool filtered = (data[0] & 1) != 0;
    OrbivaneFuzz::writeFile("fuzz.wav", data + 1, size - 1);
    PlaySound& player = PlaySound::instance();
    player.setFIREnabled(filtered);
    AudioData sound;
    player.decode("fuzz.wav", sound);

    int sampleRate = 0;
    const std::vector<short> expected = firstChannel("fuzz.wav", sampleRate);
    if (sound.pcm.size() != expected.size() || (!filtered && sound.pcm != expected)) {
        fail("decoded samples differ from the file's first channel");
    }
    if (sound.byteSize != static_cast<int>(expected.size() * sizeof(short))) {
        fail("byte size does not match the sample count");
    }
    const long long duration = sampleRate > 0 ? static_cast<long long>(expected.size()) * 1000 / sampleRate : 0;
    if (sound.durationMs != std::min<long long>(duration, INT_MAX)) {
        fail("duration does not match the sample count");
    }
    return 0;
}
