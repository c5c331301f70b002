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

int runGenerator(const fs::path& resDir, const fs::path& sheet)
{
    const std::string command =
        std::string("\"") + ORBIVANE_ASSETGEN + "\" \"" + resDir.string() + "\" \"" + sheet.string() + "\"";
    return std::system(command.c_str());
}

// Every regular file below `root`, keyed by its path relative to it.
std::map<std::string, std::vector<std::uint8_t>> snapshot(const fs::path& root)
{
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
    const fs::path first = workDir.path() / "first";
    const fs::path second = workDir.path() / "second";
    ASSERT_EQ(runGenerator(first / "res", first / "sheet.png"), 0);
    ASSERT_EQ(runGenerator(second / "res", second / "sheet.png"), 0);

    const auto a = snapshot(first);
    const auto b = snapshot(second);
    for (const char* expected :
         {"sheet.png", "res/models/Ship.obj", "res/models/Asteroid.obj", "res/textures/Ship.png",
          "res/textures/skybox/front.jpg", "res/textures/flare/flare3.bmp", "res/fonts/test.dds",
          "res/sounds/engine.wav", "res/sounds/laser_shooting_sfx.wav"}) {
        EXPECT_EQ(a.count(expected), 1u) << expected;
    }
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name << " is missing from the second run";
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
    }
}
