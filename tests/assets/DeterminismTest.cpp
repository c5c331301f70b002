#include "GeneratedAssets.h"

#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every regular file below `root`, keyed by its path relative to it.
std::map<std::string, std::vector<std::uint8_t>> generate(const fs::path& root)
{
    const std::string command = std::string("\"") + ORBIVANE_ASSETGEN + "\" \"" + (root / "res").string() + "\" \"" +
                                (root / "sheet.png").string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).generic_string()] = GeneratedAssets::readBytes(entry.path());
        }
    }
    return files;
}

}

TEST(AssetDeterminism, TwoRunsWriteTheSameBytes)
{
    const OrbivaneTest::TempWorkDir workDir;
    const auto a = generate(workDir.path() / "first");
    const auto b = generate(workDir.path() / "second");
    for (const char* expected : {"sheet.png", "res/models/Ship.obj", "res/textures/Ship.png", "res/textures/skybox/front.jpg",
                                 "res/textures/flare/flare3.bmp", "res/fonts/test.dds", "res/sounds/engine.wav",
                                 "res/sounds/laser_shooting_sfx.wav"}) {
        EXPECT_EQ(a.count(expected), 1u) << expected;
    }
    EXPECT_TRUE(a == b) << "the generator's output differs between runs";
    for (const auto& [name, bytes] : a) {
        EXPECT_FALSE(bytes.empty()) << name;
    }
}

// The README shows the committed copy; it must be what the generator makes today.
TEST(AssetDeterminism, TheReadmeContactSheetMatchesTheGeneratedOne)
{
    const auto generated = GeneratedAssets::readBytes(ORBIVANE_BINARY_DIR "/contact_sheet.png");
    ASSERT_FALSE(generated.empty());
    EXPECT_TRUE(generated == GeneratedAssets::readBytes(ORBIVANE_SOURCE_DIR "/docs/contact_sheet.png"))
        << "copy build/contact_sheet.png to docs/ after changing the generator";
}
