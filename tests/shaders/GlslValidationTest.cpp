#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string stageOf(const std::string& fileName)
{
    if (fileName.find(".vertexShader.txt") != std::string::npos) {
        return "vert";
    }
    if (fileName.find(".fragmentShader.txt") != std::string::npos) {
        return "frag";
    }
    if (fileName.find(".geometryShader.txt") != std::string::npos) {
        return "geom";
    }
    return "";
}

}

TEST(GlslValidation, EveryShaderFileValidates)
{
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORBIVANE_SOURCE_DIR "/shader")) {
        const std::string name = entry.path().filename().string();
        const std::string stage = stageOf(name);
        ASSERT_FALSE(stage.empty()) << "unexpected file in shader/: " << name;
        const std::string command = "glslangValidator -S " + stage + " '" + entry.path().string() + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string log;
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            log += buffer;
        }
        EXPECT_EQ(pclose(pipe), 0) << name << ":\n" << log;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}
