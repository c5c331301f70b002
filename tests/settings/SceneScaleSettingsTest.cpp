#include "RememberedSceneScale.h"
#include "RenderScaleSetting.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>

using Orbivane::RememberedSceneScale;
using Orbivane::RenderScaleSetting;

// "auto" or a fraction of the window; anything else is automatic, with one
// line naming the key. The target frame rate is a whole number.
TEST(SceneScaleSettingsTest, RenderScaleIsAutomaticOrAFractionFromAQuarterToOne)
{
    const OrbivaneTest::TempWorkDir dir;
    const std::string unusable = " is not auto or a number from 0.25 to 1; using auto\n";
    const std::tuple<std::string, std::optional<float>, int, std::string> cases[] = {
        {"", std::nullopt, 30, ""},
        {"RenderScale=auto\nTargetFrameRate=60\n", std::nullopt, 60, ""},
        {"RenderScale= 0.5 \n", 0.5f, 30, ""},
        {"RenderScale=0.25\n", 0.25f, 30, ""},
        {"RenderScale=1\nTargetFrameRate=0\n", 1.0f, 30,
         "Orbivane.ini: TargetFrameRate=0 is not a whole number from 1 to 1000; using 30\n"},
        {"RenderScale=0.2\n", std::nullopt, 30, "Orbivane.ini: RenderScale=0.2" + unusable},
        {"RenderScale=Auto\n", std::nullopt, 30, "Orbivane.ini: RenderScale=Auto" + unusable},
        {"RenderScale=\n", std::nullopt, 30, "Orbivane.ini: RenderScale=" + unusable},
    };
    for (const auto& [settings, scale, target, console] : cases) {
        dir.useSettings(settings);
        RenderScaleSetting setting;
        const std::string printed = OrbivaneTest::consoleOf([&] { setting = RenderScaleSetting::read(); });
        EXPECT_EQ(setting.fixedScale, scale) << settings;
        EXPECT_EQ(setting.targetFrameRate, target) << settings;
        EXPECT_EQ(printed, console) << settings;
    }
}

// The kept scale survives a restart; a file that holds no usable scale means
// full size, and a link in its place is replaced, never written through.
TEST(SceneScaleSettingsTest, RememberedScaleIsKeptInTheGameFolder)
{
    const OrbivaneTest::TempWorkDir dir;
    EXPECT_EQ(RememberedSceneScale::load(), 1.0f);
    RememberedSceneScale::save(0.45f);
    EXPECT_EQ(dir.readFile("renderscale.txt"), "0.45\n");
    EXPECT_FLOAT_EQ(RememberedSceneScale::load(), 0.45f);
    for (const char* kept : {"0.1\n", "nan\n", "half\n", ""}) {
        dir.writeFile("renderscale.txt", kept);
        EXPECT_EQ(RememberedSceneScale::load(), 1.0f) << kept;
    }
    dir.writeFile("elsewhere.txt", "mine\n");
    for (const char* link : {"renderscale.txt", "renderscale.txt.tmp"}) {
        std::filesystem::remove(dir.path() / link);
        std::filesystem::create_symlink("elsewhere.txt", dir.path() / link);
        RememberedSceneScale::save(0.5f);
        EXPECT_EQ(dir.readFile("elsewhere.txt"), "mine\n") << link;
    }
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / "renderscale.txt"));
}
