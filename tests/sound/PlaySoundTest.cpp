#include "SoundFiles.h"

#include "helpers/ExceptionWithMsg.h"
#include "helpers/PlaySound.h"
#include "support/TempWorkDir.h"

#include <AL/al.h>
#include <gtest/gtest.h>


using Orbivane::Helpers::AudioData;
using Orbivane::Helpers::ExceptionWithMsg;
using Orbivane::Helpers::PlayMode;
using Orbivane::Helpers::PlaySound;

namespace {

// The player caches by path for the life of the process, so every test uses
// file names of its own.
class PlaySoundTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(m_Dir.path() / "sounds"); }

    void write(const std::string& name, const std::vector<short>& samples, int channels, int rate) const
    {
        SoundTest::writeWav(m_Dir.path() / "sounds" / name, samples, channels, rate);
    }

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

std::string oggFailure(const std::string& path)
{
    try {
        PlaySound::instance().play(path, PlayMode::Once);
    } catch (const ExceptionWithMsg& e) {
        return e.m_Message;
    }
    return "no exception";
}

}

TEST_F(PlaySoundTest, StopPreloadsTheFirstChannelAtTheFileRate)
{
    const int frames = 2227;
    const auto left = SoundTest::sine(frames, 22050, 440.0, 12000);
    std::vector<short> stereo;
    for (const short sample : left) {
        stereo.push_back(sample);
        stereo.push_back(-1234);
    }
    write("stereo_preload.wav", stereo, 2, 22050);

    const AudioData& sound = play("sounds\\stereo_preload.wav", PlayMode::Stop);
    EXPECT_EQ(sound.pcm, left);
    EXPECT_EQ(sound.sampleRate, 22050);
    EXPECT_EQ(sound.byteSize, frames * 2);
    EXPECT_EQ(sound.durationMs, 100);

    EXPECT_EQ(bufferValue(sound.buffer, AL_SIZE), frames * 2);
    EXPECT_EQ(bufferValue(sound.buffer, AL_FREQUENCY), 22050);
    EXPECT_EQ(bufferValue(sound.buffer, AL_CHANNELS), 1);
}

TEST_F(PlaySoundTest, FileShorterThanItsHeaderGivesWhatIsThere)
{
    std::vector<short> stereo(2000);
    for (std::size_t i = 0; i < stereo.size(); ++i) {
        stereo[i] = static_cast<short>(i);
    }
    write("cut_short.wav", stereo, 2, 8000);
    const std::string bytes = m_Dir.readFile("sounds/cut_short.wav");
    // The header still promises 1000 frames; 749 and a half remain.
    m_Dir.writeFile("sounds/cut_short.wav", bytes.substr(0, bytes.size() - 1002));

    const AudioData& sound = play("sounds\\cut_short.wav", PlayMode::Stop);
    ASSERT_EQ(sound.pcm.size(), 749u);
    for (std::size_t frame = 0; frame < sound.pcm.size(); ++frame) {
        EXPECT_EQ(sound.pcm[frame], stereo[frame * 2]);
    }
    EXPECT_EQ(sound.byteSize, 749 * 2);
    EXPECT_EQ(sound.durationMs, 93);
    EXPECT_EQ(bufferValue(sound.buffer, AL_SIZE), 749 * 2);
}

TEST_F(PlaySoundTest, SoundsWithoutSamplesPlaySilently)
{
    write("empty_plain.wav", {}, 1, 44100);
    write("empty_filtered.wav", {}, 1, 44100);
    auto& player = PlaySound::instance();
    player.setFIREnabled(true);
    player.play("sounds\\empty_filtered.wav", PlayMode::Stop);
    player.setFIREnabled(false);

    const std::string paths[] = {"sounds\\empty_plain.wav", "sounds\\empty_filtered.wav", "sounds\\absent.wav",
                                 "sounds\\notes.txt", "sounds\\absent.ogg.wav"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        for (const PlayMode mode : {PlayMode::Once, PlayMode::Once, PlayMode::Loop, PlayMode::Stop, PlayMode::Loop}) {
            EXPECT_NO_THROW(player.play(path, mode));
        }
        const AudioData& sound = player.sounds().at(path);
        EXPECT_TRUE(sound.pcm.empty());
        EXPECT_EQ(sound.byteSize, 0);
        EXPECT_EQ(sound.durationMs, 0);
        EXPECT_EQ(bufferValue(sound.buffer, AL_SIZE), 0);
    }
    EXPECT_EQ(player.sounds().at("sounds\\absent.wav").sampleRate, 0);
}

TEST_F(PlaySoundTest, OggIsRefusedEveryTime)
{
    EXPECT_EQ(oggFailure("sounds\\music.ogg"), "OGG not yet implemented!");
    EXPECT_EQ(oggFailure("sounds\\music.ogg"), "OGG not yet implemented!");
    EXPECT_EQ(PlaySound::instance().sounds().count("sounds\\music.ogg"), 0u);
}
