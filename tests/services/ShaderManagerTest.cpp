#include "helpers/ShaderManager.h"
#include "services/FailureOf.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

using Orbivane::Helpers::ShaderManager;
using OrbivaneTest::consoleOf;

namespace {

const char* kVertex = "#version 330 core\nlayout(location = 0) in vec4 position;\nout vec3 v;\n"
                      "void main() { v = position.xyz; gl_Position = position; }\n";
const char* kFragment = "#version 330 core\nout vec4 c;\nuniform vec3 tint;\nvoid main() { c = vec4(tint, 1.0); }\n";

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

TEST_F(ShaderManagerTest, BuildsEachBaseNameOnceAndReportsItWhateverTheLineEnds)
{
    writeProgram("Cached", kVertex, kFragment);
    GLuint first = 0;
    const std::string firstOutput = consoleOf([&] { first = ShaderManager::instance().getProgram("Cached"); });
    EXPECT_EQ(consoleOf([&] { EXPECT_EQ(ShaderManager::instance().getProgram("Cached"), first); }), "");
    EXPECT_EQ(firstOutput, "Compiling shader: shader\\Cached.vertexShader.txt\n"
                           "Compiling shader: shader\\Cached.fragmentShader.txt\n"
                           "Linking program: " + std::to_string(first) + "\n");
    EXPECT_GE(glGetUniformLocation(first, "tint"), 0);

    // Windows line ends and a missing final newline compile too.
    writeProgram("Crlf", "#version 330 core\r\nvoid main() { gl_Position = vec4(0.0); }",
                 "#version 330 core\r\nout vec4 color;\r\nvoid main() { color = vec4(1.0); }");
    EXPECT_EQ(failureOf("Crlf"), "no exception");
    EXPECT_EQ(ShaderManager::readFile("shader\\Crlf.fragmentShader.txt"),
              "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n");
}

TEST_F(ShaderManagerTest, MissingOrEmptyFilesNameThePathAndAreNotCached)
{
    EXPECT_EQ(failureOf("Absent"), "Could not open file: shader\\Absent.vertexShader.txt");
    m_Dir.writeFile("shader/HalfThere.vertexShader.txt", kVertex);
    const auto halfThere = [] { return failureOf("HalfThere"); };
    EXPECT_EQ(consoleOf(halfThere), "Compiling shader: shader\\HalfThere.vertexShader.txt\n");
    EXPECT_EQ(halfThere(), "Could not open file: shader\\HalfThere.fragmentShader.txt");
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
    writeProgram("Mismatch", kVertex, "#version 330 core\nin vec2 v;\nout vec4 c;\nvoid main() { c = vec4(v, 0, 1); }");
    EXPECT_EQ(failureOf("Mismatch").substr(0, 22), "Shader Linking Error: ");
}
