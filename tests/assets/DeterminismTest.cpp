#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

// A fresh run of the generator must repeat, byte for byte, what the build made
// (the game's assets and the desktop icon);
// and the README shows the committed contact sheet, which must be today's.
TEST(AssetDeterminism, AFreshRunWritesTheSameBytesAsTheBuildAndTheReadmeSheetIsCurrent)
{
    const auto readBytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const OrbivaneTest::TempWorkDir workDir;
    const fs::path res = workDir.path() / "res";
    const fs::path sheet = workDir.path() / "sheet.png";
    const fs::path icon = workDir.path() / "icon.png";
    const std::string command = std::string("\"") + ORBIVANE_ASSETGEN + "\" \"" + res.string() + "\" \"" +
                                sheet.string() + "\" \"" + icon.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(res)) {
        const fs::path built = fs::path(ORBIVANE_GAME_DIR) / "res" / fs::relative(entry.path(), res);
        EXPECT_TRUE(entry.is_directory() || readBytes(entry.path()) == readBytes(built)) << built << " differs between runs";
    }
    const auto builtSheet = readBytes(ORBIVANE_BINARY_DIR "/contact_sheet.png");
    ASSERT_FALSE(builtSheet.empty());
    EXPECT_TRUE(readBytes(sheet) == builtSheet) << "the contact sheet differs between runs";
    EXPECT_TRUE(readBytes(icon) == readBytes(ORBIVANE_BINARY_DIR "/orbivane.png")) << "the icon differs between runs";
    EXPECT_TRUE(builtSheet == readBytes(ORBIVANE_SOURCE_DIR "/docs/contact_sheet.png"))
        << "copy build/contact_sheet.png to docs/ after changing the generator";
}
