#include "helpers/PlaySound.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/FilePath.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <AL/alc.h>
#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace Orbivane::Helpers {

namespace {

// Half the filter length: tap t looks at the sample t - 63 away.
constexpr int kHalfTaps = PlaySound::m_NumFIRCoeff / 2;

constexpr float kPi = 3.14159265f;
// Cut-off at 0.165 of the sample rate (2 pi x 0.165), about 7.3 kHz at
// 44.1 kHz: it softens a hissing top end while the body of an effect (a zap,
// a hum) stays intact. The products are written out in float so every build
// gets the same taps.
constexpr float kOmega = 1.0367256f;
constexpr float kPiTimesOmega = 3.2569697f;
constexpr float kInvPi = 0.31830987f;

constexpr sf_count_t kFramesPerRead = 4096;
// Keeps the byte size of the mono data representable as an int.
constexpr std::size_t kMaxFrames = INT_MAX / 2;

using SoundFile = std::unique_ptr<SNDFILE, decltype(&sf_close)>;

float roundedCos(float radians)
{
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

float roundedSin(float radians)
{
    return static_cast<float>(std::sin(static_cast<double>(radians)));
}

// Blackman-like window; the divisor is the full tap count and the third
// term is subtracted, so the outermost taps dip slightly below zero.
float firWindow(int i)
{
    const float phase = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(PlaySound::m_NumFIRCoeff);
    return 0.42f + 0.5f * roundedCos(phase) - 0.08f * roundedCos(2.0f * phase);
}

float sincKernel(int i)
{
    if (i == 0) {
        return kInvPi;
    }
    return roundedSin(kOmega * static_cast<float>(i)) / (kPiTimesOmega * static_cast<float>(i));
}

int wrapIndex(int index, int count)
{
    const int wrapped = index % count;
    return wrapped < 0 ? wrapped + count : wrapped;
}

// Filter overshoot on loud material must saturate, not wrap around to the
// opposite sign, which would be heard as a crack.
short toSample(float value)
{
    return static_cast<short>(std::clamp(value, -32768.0f, 32767.0f));
}

// Reads until the file really ends instead of trusting the frame count of
// the header, which may promise more than the file holds.
std::vector<short> readFirstChannel(SNDFILE* file, int channels)
{
    std::vector<short> firstChannel;
    std::vector<short> block(static_cast<std::size_t>(kFramesPerRead) * static_cast<std::size_t>(channels));
    sf_count_t samplesRead = 0;
    while (firstChannel.size() < kMaxFrames &&
           (samplesRead = sf_read_short(file, block.data(), static_cast<sf_count_t>(block.size()))) > 0) {
        const sf_count_t framesRead = samplesRead / channels;
        for (sf_count_t frame = 0; frame < framesRead && firstChannel.size() < kMaxFrames; ++frame) {
            firstChannel.push_back(block[static_cast<std::size_t>(frame * channels)]);
        }
    }
    return firstChannel;
}

// A long sound at a low rate lasts longer than an int of milliseconds can
// say; it saturates, which still outlasts any game.
int durationMs(std::size_t frames, int sampleRate)
{
    if (sampleRate <= 0) {
        return 0;
    }
    const long long milliseconds = static_cast<long long>(frames) * 1000 / sampleRate;
    return static_cast<int>(std::min<long long>(milliseconds, INT_MAX));
}

void decodeWav(const std::string& path, AudioData& audioData)
{
    SF_INFO info{};
    const SoundFile file(sf_open(nativePath(path).c_str(), SFM_READ, &info), &sf_close);
    if (!file || info.channels < 1) {
        return;
    }
    audioData.pcm = readFirstChannel(file.get(), info.channels);
    const int frames = static_cast<int>(audioData.pcm.size());
    audioData.byteSize = frames * static_cast<int>(sizeof(short));
    audioData.sampleRate = info.samplerate;
    audioData.durationMs = durationMs(audioData.pcm.size(), info.samplerate);
}

ALuint createSource(ALuint buffer, bool looping)
{
    ALuint source = 0;
    alGenSources(1, &source);
    alSourcef(source, AL_PITCH, 1.0f);
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    return source;
}

}

PlaySound& PlaySound::instance()
{
    static PlaySound player;
    return player;
}

PlaySound::PlaySound()
{
    openDefaultDevice();
    computeFIRCoefficients();
}

PlaySound::~PlaySound()
{
    if (m_Context != nullptr) {
        // Someone else has closed the device already.
        if (alcGetCurrentContext() != m_Context) {
            return;
        }
        for (const auto& entry : m_Sounds) {
            alDeleteSources(1, &entry.second.source);
            alDeleteSources(1, &entry.second.loopSource);
            alDeleteBuffers(1, &entry.second.buffer);
        }
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_Context);
    }
    if (m_Device != nullptr) {
        alcCloseDevice(m_Device);
    }
}

// Without a device (or a context) OpenAL ignores every later call, which is
// exactly the silent game we want on a machine without sound.
void PlaySound::openDefaultDevice()
{
    m_Device = alcOpenDevice(nullptr);
    if (m_Device == nullptr) {
        return;
    }
    const ALCint attributes[] = {ALC_FREQUENCY, 44100, 0};
    m_Context = alcCreateContext(m_Device, attributes);
    if (m_Context != nullptr) {
        alcMakeContextCurrent(m_Context);
    }
}

void PlaySound::setFIREnabled(bool enabled)
{
    m_ApplyFIR = enabled;
}

void PlaySound::play(const std::string& path, PlayMode mode)
{
    const double now = glfwGetTime();
    auto found = m_Sounds.find(path);
    if (found == m_Sounds.end()) {
        AudioData loaded;
        loaded.lastPlayTime = now;
        loadSound(path, loaded);
        found = m_Sounds.emplace(path, std::move(loaded)).first;
    }
    AudioData& sound = found->second;

    if (sound.state == PlayMode::Once && now - sound.lastPlayTime > sound.durationMs / 1000.0) {
        sound.state = PlayMode::Stop;
    }

    switch (mode) {
    case PlayMode::Once:
        if (sound.state == PlayMode::Stop) {
            alSourcePlay(sound.source);
            sound.state = PlayMode::Once;
            sound.lastPlayTime = now;
        }
        break;
    case PlayMode::Loop:
        if (sound.state == PlayMode::Stop) {
            alSourcePlay(sound.loopSource);
            sound.state = PlayMode::Loop;
        }
        break;
    case PlayMode::Stop:
        if (sound.state == PlayMode::Once) {
            alSourceStop(sound.source);
        } else if (sound.state == PlayMode::Loop) {
            alSourceStop(sound.loopSource);
        }
        sound.state = PlayMode::Stop;
        break;
    }
}

void PlaySound::setPaused(bool paused)
{
    const ALint from = paused ? AL_PLAYING : AL_PAUSED;
    for (const auto& entry : m_Sounds) {
        for (const ALuint source : {entry.second.source, entry.second.loopSource}) {
            ALint state = AL_INITIAL;
            alGetSourcei(source, AL_SOURCE_STATE, &state);
            if (state == from) {
                paused ? alSourcePause(source) : alSourcePlay(source);
            }
        }
    }
}

void PlaySound::setVolume(int percent)
{
    m_Volume = std::clamp(percent, 0, 100);
    applyGain();
}

void PlaySound::setMuted(bool muted)
{
    m_Muted = muted;
    applyGain();
}

void PlaySound::applyGain() const
{
    alListenerf(AL_GAIN, m_Muted ? 0.0f : static_cast<float>(m_Volume) / 100.0f);
}

void PlaySound::decode(const std::string& path, AudioData& audioData) const
{
    loadAudio(path, audioData);
    if (m_ApplyFIR) {
        applyFIR(audioData);
    }
}

void PlaySound::loadSound(const std::string& path, AudioData& audioData) const
{
    decode(path, audioData);
    alGenBuffers(1, &audioData.buffer);
    alBufferData(audioData.buffer, AL_FORMAT_MONO16, audioData.pcm.data(), audioData.byteSize, audioData.sampleRate);
    audioData.source = createSource(audioData.buffer, false);
    audioData.loopSource = createSource(audioData.buffer, true);
}

void PlaySound::loadAudio(const std::string& path, AudioData& audioData) const
{
    if (path.find(".wav") != std::string::npos) {
        decodeWav(path, audioData);
    } else if (path.find(".ogg") != std::string::npos) {
        throw ExceptionWithMsg("OGG not yet implemented!");
    }
}

void PlaySound::computeFIRCoefficients()
{
    float sum = 0.0f;
    for (int t = 0; t < m_NumFIRCoeff; ++t) {
        const int i = t - kHalfTaps;
        m_FIRCoeff[t] = firWindow(i) * sincKernel(i);
        sum += m_FIRCoeff[t];
    }
    for (float& coefficient : m_FIRCoeff) {
        coefficient /= sum;
    }
}

// A circular convolution: indices wrap around the sound, for any length, so
// a sound shorter than the filter is treated like a looped one and no index
// ever leaves the samples. The ends fade in and out over 63 samples.
void PlaySound::applyFIR(AudioData& audioData) const
{
    const std::vector<short>& input = audioData.pcm;
    const int count = static_cast<int>(input.size());
    std::vector<short> output(input.size());
    for (int k = 0; k < count; ++k) {
        float acc = 0.0f;
        int index = wrapIndex(k - kHalfTaps, count);
        for (int t = 0; t < m_NumFIRCoeff; ++t) {
            acc += static_cast<float>(input[static_cast<std::size_t>(index)]) * m_FIRCoeff[t];
            if (++index == count) {
                index = 0;
            }
        }
        const int edgeDistance = std::min(k, count - 1 - k);
        if (edgeDistance < kHalfTaps) {
            acc = acc * static_cast<float>(edgeDistance) / static_cast<float>(kHalfTaps);
        }
        output[static_cast<std::size_t>(k)] = toSample(acc);
    }
    audioData.pcm = std::move(output);
}

}
