#include "helpers/DefaultSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace Orbivane::Helpers {

namespace {

const char* const kHeader =
    "# Orbivane settings, read once at start. One Key=Value per line; nothing is\n"
    "# trimmed, and the first line with a key wins. Every key is listed below at\n"
    "# its default, commented out: remove the \"# \" before a key to change it.\n";

}

const std::vector<DefaultSettings::Setting>& DefaultSettings::settings()
{
    static const std::vector<Setting> table{
        {"FullScreen", "0", "1 starts in full screen at the monitor's current mode (F11 switches at any time)"},
        {"Width", "640", "Window width in pixels at the start; without it, 640 times the desktop's scale"},
        {"Height", "320", "Window height in pixels at the start; without it, 320 times the desktop's scale"},
        {"VSync", "1", "1 waits for the display at each frame (adaptively where the driver can); 0 does not"},
        {"RenderScale", "auto", "Share of the window's size the 3D scene is drawn at: auto, or 0.25 to 1"},
        {"TargetFrameRate", "30", "Frames per second the automatic render scale aims for"},
        {"Volume", "100", "Loudness of every sound, from 0 (silent) to 100"},
        {"MouseSensitivity", "1", "How far a mouse movement steers, from 0.1 to 10"},
        {"InvertMouseY", "0", "1 reverses the pitch: pushing the mouse or the stick forward lowers the nose"},
        {"PlayerName", "Mr. Gorgeous!", "The name recorded in the high-score table"},
        {"LevelsEnabled", "1", "0 plays freely, without the levels and their missions"},
        {"LiveTimeSec", "30", "Seconds of life that each hit refills"},
        {"StartGrace", "2", "Seconds of protection from collisions after each level starts; 0 turns it off"},
        {"Invulnerable", "0", "1 lets neither collisions nor an empty life end the game"},
        {"DontMoveAsteroids", "0", "1 holds the asteroids still"},
        {"TestAsteroids", "0", "1 places sixteen asteroids in a fixed test layout"},
        {"GLDebugMessages", "0", "1 prints OpenGL debug messages on the console"},
        {"DumpGBuffer", "0", "1 writes the G-buffer and bloom images to out/ every frame"},
        {"MonitorPasses", "0", "1 writes per-pass GPU timings to out/"},
        {"LenseFlareMaxVal", "500", "Strongest lens flare, in thousandths"},
        {"LenseFlareMinVal", "10", "Weakest lens flare, in thousandths"},
    };
    return table;
}

std::string DefaultSettings::fileText()
{
    std::string text = kHeader;
    for (const Setting& setting : settings()) {
        text += std::string("\n# ") + setting.meaning + "\n# " + setting.key + "=" + setting.defaultValue + "\n";
    }
    return text;
}

void DefaultSettings::writeIfMissing(const std::string& fileName)
{
    // "x" creates the file only where no name is: an existing file, or a
    // link wherever it points, makes the open fail instead.
    std::FILE* file = std::fopen(fileName.c_str(), "wx");
    if (file == nullptr) {
        if (errno != EEXIST) {
            std::cout << fileName << " could not be written: " << std::strerror(errno) << "\n";
        }
        return;
    }
    const std::string text = fileText();
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written) {
        std::cout << fileName << " written with the default settings\n";
        return;
    }
    // A file cut short would never be completed; without one the next start writes it whole.
    std::remove(fileName.c_str());
    std::cout << fileName << " could not be written: " << std::strerror(error) << "\n";
}

}
