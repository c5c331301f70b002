#include "SoundFiles.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/PlaySound.h"
#include "support/TempWorkDir.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

using namespace Orbivane::Helpers;

namespace {

// The player caches by path for the life of the process, so every test uses
// file names of its own.
class PlaySoundTest : public ::testing::Test {
protected:
    static const AudioData& play(const std::string& path, PlayMode mode)
    {
        PlaySound::instance().play(path, mode);
        return PlaySound::instance().sounds().at(path);
    }

    static ALint bufferValue(ALuint buffer, ALenum parameter)
    {
        ALint value = 0;
        alGetBufferi(buffer, parameter, &value);
        return value;
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

}

// Stop preloads the first channel at the file's rate. The header still
// promises 2227 frames, but only 1976 and a half remain in the file.
TEST_F(PlaySoundTest, DecodesTheFirstChannelOfWhatAFileHoldsWithItsDurationCapped)
{
    const auto left = SoundTest::sine(2227, 22050, 440.0, 12000);
    std::vector<short> stereo;
    for (const short sample : left) {
        stereo.insert(stereo.end(), {sample, -1234});
    }
    SoundTest::writeWav(m_Dir.path() / "cut_short.wav", stereo, 2, 22050);
    const std::string bytes = m_Dir.readFile("cut_short.wav");
    m_Dir.writeFile("sounds/cut_short.wav", bytes.substr(0, bytes.size() - 1002));

    const AudioData& sound = play("sounds\\cut_short.wav", PlayMode::Stop);
    EXPECT_EQ(sound.pcm, std::vector<short>(left.begin(), left.begin() + 1976));
    EXPECT_EQ(std::tuple(sound.sampleRate, sound.byteSize, sound.durationMs), std::tuple(22050, 1976 * 2, 89));
    EXPECT_EQ(std::tuple(bufferValue(sound.buffer, AL_SIZE), bufferValue(sound.buffer, AL_FREQUENCY),
                         bufferValue(sound.buffer, AL_CHANNELS)),
              std::tuple(1976 * 2, 22050, 1));

    // 2.2 million samples at 1 Hz last about 25 days: more milliseconds than an
    // int holds. A negative duration would end every shot the moment it starts.
    SoundTest::writeWav(m_Dir.path() / "long_low_rate.wav", std::vector<short>(2200000, 100), 1, 1);
    const AudioData& longSound = play("long_low_rate.wav", PlayMode::Once);
    EXPECT_EQ(std::pair(longSound.pcm.size(), longSound.durationMs), std::pair(std::size_t{2200000}, INT_MAX));
    play("long_low_rate.wav", PlayMode::Stop);
    EXPECT_EQ(longSound.state, PlayMode::Stop);
}

// The filter applies only to sounds loaded while it is on.
TEST_F(PlaySoundTest, FilterOnlyWhileEnabledSoundsWithoutSamplesSilentAndOggRefused)
{
    SoundTest::writeWav(m_Dir.path() / "flat.wav", std::vector<short>(500, 8000), 1, 22050);
    SoundTest::writeWav(m_Dir.path() / "plain.wav", {}, 1, 44100);
    SoundTest::writeWav(m_Dir.path() / "filtered.wav", {}, 1, 44100);
    auto& player = PlaySound::instance();
    player.setFIREnabled(true);
    player.play("flat.wav", PlayMode::Stop);
    player.play("filtered.wav", PlayMode::Stop);
    player.setFIREnabled(false);
    EXPECT_EQ(play(".\\flat.wav", PlayMode::Stop).pcm, std::vector<short>(500, 8000));
    EXPECT_EQ(player.sounds().at("flat.wav").pcm.at(0), 0);
    for (const std::string path : {"plain.wav", "filtered.wav", "absent.wav", "notes.txt", "absent.ogg.wav"}) {
        SCOPED_TRACE(path);
        for (const PlayMode mode : {PlayMode::Once, PlayMode::Once, PlayMode::Loop, PlayMode::Stop, PlayMode::Loop}) {
            EXPECT_NO_THROW(player.play(path, mode));
        }
        const AudioData& sound = player.sounds().at(path);
        EXPECT_EQ(std::tuple(sound.pcm.size(), sound.byteSize, sound.durationMs, bufferValue(sound.buffer, AL_SIZE)),
                  std::tuple(std::size_t{0}, 0, 0, 0));
    }

    // Not cached, so every later request is refused the same way.
    try {
        player.play("music.ogg", PlayMode::Once);
        ADD_FAILURE() << "an OGG file was accepted";
    } catch (const ExceptionWithMsg& e) {
        EXPECT_EQ(e.m_Message, "OGG not yet implemented!");
    }
    EXPECT_EQ(player.sounds().count("music.ogg"), 0u);
}
