#pragma once

namespace Orbivane::Helpers {

// What a caller asks of a sound, and at the same time the state a sound is
// in: Stop doubles as "silent".
enum class PlayMode : int {
    Once = 0,
    Loop = 1,
    Stop = 2,
};

}
