#include "Generators.h"

#include "Biquad.h"
#include "Pcg32.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

namespace AssetGen {

namespace {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// About -1 dBFS: loud, but with headroom so nothing ever clips.
constexpr double kPeak = 0.89;

// The hum repeats every two seconds. Every frequency in it is a whole
// multiple of 0.5 Hz, so each completes whole periods within the loop and
// the last sample runs on into the first as smoothly as anywhere else.
constexpr double kEngineSeconds = 2.0;
constexpr int kEngineFrames = static_cast<int>(kEngineSeconds * kSampleRate);
constexpr double kLaserSeconds = 0.36;
constexpr int kLaserFrames = static_cast<int>(kLaserSeconds * kSampleRate);

using Samples = std::vector<double>;

double timeOf(int frame)
{
    return static_cast<double>(frame) / kSampleRate;
}

void addPartial(Samples& out, double frequency, double amplitude, double phase)
{
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] += amplitude * std::sin(kTwoPi * frequency * timeOf(static_cast<int>(i)) + phase);
    }
}

// White noise shaped by `filter` as if the buffer repeated for ever: the
// first pass only brings the filter into the state it has at the end of the
// loop, the second pass is kept. The result wraps around without a seam.
Samples loopedNoise(std::size_t frames, Biquad filter, std::uint64_t seed)
{
    Pcg32 rng(seed);
    Samples white(frames);
    for (double& s : white) {
        s = rng.range(-1.0f, 1.0f);
    }
    for (const double s : white) {
        filter.process(s);
    }
    Samples shaped(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        shaped[i] = filter.process(white[i]);
    }
    return shaped;
}

void normalise(Samples& samples)
{
    double peak = 0.0;
    for (const double s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    for (double& s : samples) {
        s *= kPeak / peak;
    }
}

Samples engineHum()
{
    Samples hum(kEngineFrames, 0.0);
    Pcg32 rng(0xe1191e5u);
    const double fundamental = 55.0;
    addPartial(hum, fundamental / 2.0, 0.45, 0.0);
    for (int h = 1; h <= 14; ++h) {
        const double weight = (h % 2 == 1 ? 1.0 : 0.7) / std::pow(h, 1.15);
        addPartial(hum, fundamental * h, weight, rng.range(0.0f, 6.2831853f));
    }
    // A second rotor half a hertz off makes the tone beat slowly.
    for (int h = 1; h <= 6; ++h) {
        addPartial(hum, (fundamental + 0.5) * h, 0.35 / h, rng.range(0.0f, 6.2831853f));
    }
    Samples rumble = loopedNoise(kEngineFrames, Biquad::bandPass(kSampleRate, 95.0, 0.8), 0x4a11u);
    Samples hiss = loopedNoise(kEngineFrames, Biquad::bandPass(kSampleRate, 2600.0, 0.9), 0x4a12u);
    for (int i = 0; i < kEngineFrames; ++i) {
        const double t = timeOf(i);
        // A six-beat throb and a turbine whine that drifts with the loop.
        const double throb = 1.0 + 0.16 * std::sin(kTwoPi * 6.0 * t) + 0.06 * std::sin(kTwoPi * 1.5 * t + 1.0);
        const double whine = 0.05 * std::sin(kTwoPi * 1320.0 * t + 2.5 * std::sin(kTwoPi * 0.5 * t)) +
                             0.02 * std::sin(kTwoPi * 1980.0 * t + 2.5 * std::sin(kTwoPi * 0.5 * t + 0.7));
        const double body = (hum[i] + 2.2 * rumble[i]) * throb + 0.35 * hiss[i] * throb + whine;
        // Gentle saturation roughens the tone like a real drive.
        hum[i] = std::tanh(0.45 * body);
    }
    // The saturation of an uneven wave leaves a little DC behind; removing
    // the mean keeps the loop intact, as every sample shifts alike.
    double mean = 0.0;
    for (const double s : hum) {
        mean += s / kEngineFrames;
    }
    for (double& s : hum) {
        s -= mean;
    }
    normalise(hum);
    return hum;
}

double laserEnvelope(double t)
{
    const double attack = std::min(1.0, t / 0.003);
    const double decay = std::exp(-t / 0.085);
    const double release = kLaserSeconds - 0.012;
    const double tail = t < release ? 1.0 : 0.5 + 0.5 * std::cos(kPi * std::min(1.0, (t - release) / 0.012));
    return attack * decay * tail;
}

Samples laserShot()
{
    Samples shot(kLaserFrames, 0.0);
    Samples sizzle = loopedNoise(kLaserFrames, Biquad::highPass(kSampleRate, 5000.0, 0.7), 0x1a5e4u);
    double phase = 0.0;
    double detunedPhase = 0.0;
    double thumpPhase = 0.0;
    for (int i = 0; i < kLaserFrames; ++i) {
        const double t = timeOf(i);
        // The pitch falls fast from a bright zap to a low tail, with a rapid
        // flutter on top.
        const double frequency = (300.0 + 2300.0 * std::exp(-t / 0.06)) * (1.0 + 0.025 * std::sin(kTwoPi * 38.0 * t));
        phase += kTwoPi * frequency / kSampleRate;
        detunedPhase += kTwoPi * frequency * 1.012 / kSampleRate;
        thumpPhase += kTwoPi * (60.0 + 90.0 * std::exp(-t / 0.03)) / kSampleRate;
        double tone = 0.0;
        for (int h = 1; h <= 5; ++h) {
            tone += (std::sin(h * phase) + 0.6 * std::sin(h * detunedPhase)) / h;
        }
        const double thump = 0.5 * std::sin(thumpPhase) * std::exp(-t / 0.035);
        const double crackle = 0.4 * sizzle[i] * std::exp(-t / 0.012);
        shot[i] = (tone + thump + crackle) * laserEnvelope(t);
    }
    normalise(shot);
    return shot;
}

void writeWav(const std::filesystem::path& file, const Samples& samples)
{
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const std::unique_ptr<SNDFILE, decltype(&sf_close)> handle(sf_open(file.c_str(), SFM_WRITE, &info), &sf_close);
    if (!handle) {
        throw std::runtime_error("cannot write " + file.string() + ": " + sf_strerror(nullptr));
    }
    std::vector<short> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(),
                   [](double s) { return static_cast<short>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0)); });
    if (sf_write_short(handle.get(), pcm.data(), static_cast<sf_count_t>(pcm.size())) != static_cast<sf_count_t>(pcm.size())) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}

void writeSounds(const std::filesystem::path& soundsDir)
{
    writeWav(soundsDir / "engine.wav", engineHum());
    writeWav(soundsDir / "laser_shooting_sfx.wav", laserShot());
}

}
