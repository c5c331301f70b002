#include "Generators.h"

// Temporary: writers not yet implemented. Each is removed from here when its real version lands.
namespace AssetGen {

void writeModels(const std::filesystem::path&) {}
void writeTextures(const std::filesystem::path&) {}
void writeSkybox(const std::filesystem::path&) {}
void writeFlares(const std::filesystem::path&) {}
void writeFont(const std::filesystem::path&) {}
void writeSounds(const std::filesystem::path&) {}
void writeContactSheet(const std::filesystem::path&, const std::filesystem::path&) {}

}
