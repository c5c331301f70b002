#pragma once

#include "helpers/PlayMode.h"

#include <AL/al.h>

#include <vector>

namespace Orbivane::Helpers {

// One decoded sound with the OpenAL objects that play it. The samples stay
// in memory after the upload.
struct AudioData {
    std::vector<short> pcm;
    int byteSize = 0;
    int sampleRate = 0;
    int durationMs = 0;
    PlayMode state = PlayMode::Stop;
    double lastPlayTime = 0.0;
    ALuint loopSource = 0;
    ALuint source = 0;
    ALuint buffer = 0;
};

}
