#include "RememberedSceneScale.h"

#include "SceneScaleController.h"
#include "helpers/IniSettings.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>

namespace Orbivane {

namespace {

const char* const kFile = "renderscale.txt";
const char* const kPendingFile = "renderscale.txt.tmp";

}

float RememberedSceneScale::load()
{
    std::ifstream file(kFile);
    std::string line;
    std::getline(file, line);
    const std::optional<double> scale = Helpers::IniSettings::decimal(line);
    return scale && *scale >= SceneScaleController::kLowestScale && *scale <= 1.0 ? static_cast<float>(*scale) : 1.0f;
}

void RememberedSceneScale::save(float scale)
{
    char text[16];
    char* end = std::to_chars(text, text + sizeof text - 1, scale, std::chars_format::fixed, 2).ptr;
    *end++ = '\n';
    const int descriptor = ::open(kPendingFile, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return;
    }
    const auto size = static_cast<ssize_t>(end - text);
    const bool written = ::write(descriptor, text, static_cast<std::size_t>(size)) == size;
    // Whatever fails, no half-made file is left beside the game.
    if (::close(descriptor) != 0 || !written || std::rename(kPendingFile, kFile) != 0) {
        std::remove(kPendingFile);
    }
}

}
