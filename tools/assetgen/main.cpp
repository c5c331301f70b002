#include "Generators.h"

#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: orbivane_assetgen <res directory> <contact sheet png> <icon png>\n";
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path res = argv[1];
    try {
        for (const char* dir : {"models", "textures/skybox", "textures/flare", "fonts", "sounds"}) {
            fs::create_directories(res / dir);
        }
        AssetGen::writeModels(res / "models");
        AssetGen::writeTextures(res / "textures");
        AssetGen::writeSkybox(res / "textures" / "skybox");
        AssetGen::writeFlares(res / "textures" / "flare");
        AssetGen::writeFont(res / "fonts");
        AssetGen::writeSounds(res / "sounds");
        AssetGen::writeContactSheet(res, argv[2]);
        AssetGen::writeIcon(argv[3]);
    } catch (const std::exception& e) {
        std::cerr << "asset generation failed: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
