#include "helpers/ShaderManager.h"
#include "services/FailureOf.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

using Orbivane::Helpers::ShaderManager;
using OrbivaneTest::consoleOf;

namespace {

const char* kVertex = "#version 330 core\nlayout(location = 0) in vec4 position;\nout vec3 shade;\n"
                      "void main() { shade = position.xyz; gl_Position = position; }\n";
const char* kFragment = "#version 330 core\nout vec4 color;\nuniform vec3 tint;\nvoid main() { color = vec4(tint, 1.0); }\n";

class ShaderManagerTest : public ::testing::Test {
protected:
    void SetUp() override { OrbivaneTest::ensureGLContext(); }

    void writeProgram(const std::string& name, const std::string& vertex, const std::string& fragment)
    {
        m_Dir.writeFile("shader/" + name + ".vertexShader.txt", vertex);
        m_Dir.writeFile("shader/" + name + ".fragmentShader.txt", fragment);
    }

    static std::string failureOf(const std::string& name)
    {
        return OrbivaneTest::failureOf([&] { ShaderManager::instance().getProgram(name); });
    }

    OrbivaneTest::TempWorkDir m_Dir;
};

}

TEST_F(ShaderManagerTest, BuildsEachBaseNameOnceAndReportsIt)
{
    writeProgram("Cached", kVertex, kFragment);
    GLuint first = 0;
    const std::string firstOutput = consoleOf([&] { first = ShaderManager::instance().getProgram("Cached"); });
    EXPECT_EQ(consoleOf([&] { EXPECT_EQ(ShaderManager::instance().getProgram("Cached"), first); }), "");
    EXPECT_EQ(firstOutput, "Compiling shader: shader\\Cached.vertexShader.txt\n"
                           "Compiling shader: shader\\Cached.fragmentShader.txt\n"
                           "Linking program: " + std::to_string(first) + "\n");
    EXPECT_GE(glGetUniformLocation(first, "tint"), 0);
}

TEST_F(ShaderManagerTest, MissingOrEmptyFilesNameThePathAndAreNotCached)
{
    EXPECT_EQ(failureOf("Absent"), "Could not open file: shader\\Absent.vertexShader.txt");
    m_Dir.writeFile("shader/HalfThere.vertexShader.txt", kVertex);
    EXPECT_EQ(consoleOf([] { EXPECT_EQ(failureOf("HalfThere"), "Could not open file: shader\\HalfThere.fragmentShader.txt"); }),
              "Compiling shader: shader\\HalfThere.vertexShader.txt\n");
    writeProgram("EmptyFragment", kVertex, "");
    EXPECT_EQ(failureOf("EmptyFragment"), "Could not open file: shader\\EmptyFragment.fragmentShader.txt");
    writeProgram("Absent", kVertex, kFragment);
    EXPECT_EQ(failureOf("Absent"), "no exception");
}

// A compile error throws the info log alone, a link error the log behind a prefix.
TEST_F(ShaderManagerTest, BuildErrorsThrowTheDriversLog)
{
    writeProgram("Broken", kVertex, "#version 330 core\nvoid main() { undefinedThing = 1; }\n");
    const std::string compile = failureOf("Broken");
    EXPECT_NE(compile.find("undefinedThing"), std::string::npos) << compile;
    EXPECT_EQ(compile.find("Shader Linking Error"), std::string::npos);
    writeProgram("Mismatch", kVertex, "#version 330 core\nin vec2 shade;\nout vec4 color;\nvoid main() { color = vec4(shade, 0.0, 1.0); }\n");
    const std::string link = failureOf("Mismatch");
    EXPECT_EQ(link.rfind("Shader Linking Error: ", 0), 0u) << link;
}

TEST_F(ShaderManagerTest, WindowsLineEndsAndMissingFinalNewlineCompile)
{
    writeProgram("Crlf", "#version 330 core\r\nlayout(location = 0) in vec4 position;\r\nvoid main() { gl_Position = position; }",
                 "#version 330 core\r\nout vec4 color;\r\nvoid main() { color = vec4(1.0); }");
    EXPECT_EQ(failureOf("Crlf"), "no exception");
    EXPECT_EQ(ShaderManager::readFile("shader\\Crlf.fragmentShader.txt"),
              "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n");
}
