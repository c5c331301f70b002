#pragma once

#include <optional>

namespace Orbivane {

// How the scene's resolution is chosen, from "RenderScale" and
// "TargetFrameRate" of Orbivane.ini.
struct RenderScaleSetting {
    // A fixed share of the window's size, 0.25 to 1; none means automatic.
    std::optional<float> fixedScale;
    // The frame rate the automatic scale holds.
    int targetFrameRate = 30;

    // "RenderScale" is "auto" (the default) or a number from 0.25 to 1; any
    // other value means automatic, with one console line naming the key.
    static RenderScaleSetting read();
};

}
