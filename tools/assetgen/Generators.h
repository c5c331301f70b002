#pragma once

#include <filesystem>

// Each writer fills one folder of the game's res/ tree. Every writer is
// deterministic: fixed seeds, no clock, no locale, no threads.
namespace AssetGen {

void writeModels(const std::filesystem::path& modelsDir);
void writeTextures(const std::filesystem::path& texturesDir);
void writeSkybox(const std::filesystem::path& skyboxDir);
void writeFlares(const std::filesystem::path& flareDir);
void writeFont(const std::filesystem::path& fontsDir);
void writeSounds(const std::filesystem::path& soundsDir);
void writeContactSheet(const std::filesystem::path& resDir, const std::filesystem::path& sheetFile);
// The desktop icon: one of the game's asteroids in front of a sun, with a
// transparent background.
void writeIcon(const std::filesystem::path& iconFile);

}
