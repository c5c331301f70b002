#pragma once

#include "helpers/AudioData.h"
#include "helpers/PlayMode.h"

#include <AL/alc.h>

#include <array>
#include <map>
#include <string>


namespace Orbivane::Helpers {

// The one sound player: decodes a WAV file the first time its path is used,
// optionally low-pass filters it, and plays it once, loops it or stops it.
// Without an audio device every request is silently without effect.
class PlaySound {
public:
    static constexpr int m_NumFIRCoeff = 127;
    using FIRCoefficients = std::array<float, m_NumFIRCoeff>;

    static PlaySound& instance();

    // Closes the device at exit, so that the sound library has nothing left
    // to complain about.
    ~PlaySound();
    PlaySound(const PlaySound&) = delete;
    PlaySound& operator=(const PlaySound&) = delete;

    void play(const std::string& path, PlayMode mode);
    // Holds every sound that is playing where it is, or lets the held ones go on.
    void setPaused(bool paused);
    // The loudness of every sound, from 0 (silent) to 100 (as recorded): the
    // listener's gain, a linear share of each sample's amplitude.
    void setVolume(int percent);
    // Silences every sound, or lets it be heard again at the volume set.
    void setMuted(bool muted);
    bool muted() const { return m_Muted; }

    // Only sounds loaded after the call are affected.
    void setFIREnabled(bool enabled);

    // Circular low-pass convolution with faded ends, in place.
    void applyFIR(AudioData& audioData) const;

    // Reads a sound file into samples, filtered when the filter is on,
    // without creating any OpenAL object.
    void decode(const std::string& path, AudioData& audioData) const;

    const FIRCoefficients& firCoefficients() const { return m_FIRCoeff; }
    const std::map<std::string, AudioData>& sounds() const { return m_Sounds; }

private:
    PlaySound();

    void loadSound(const std::string& path, AudioData& audioData) const;
    void loadAudio(const std::string& path, AudioData& audioData) const;
    void computeFIRCoefficients();
    void openDefaultDevice();
    void applyGain() const;

    ALCdevice* m_Device = nullptr;
    ALCcontext* m_Context = nullptr;
    std::map<std::string, AudioData> m_Sounds;
    FIRCoefficients m_FIRCoeff{};
    bool m_ApplyFIR = false;
    int m_Volume = 100;
    bool m_Muted = false;
};

}
