#include "helpers/ExceptionWithMsg.h"
#include "helpers/ShaderManager.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

using Orbivane::Helpers::ExceptionWithMsg;
using Orbivane::Helpers::ShaderManager;
using OrbivaneTest::TempWorkDir;

namespace {

const char* kVertex = "#version 330 core\nlayout(location = 0) in vec4 position;\nvoid main() { gl_Position = position; }\n";
const char* kFragment = "#version 330 core\nout vec4 color;\nuniform vec3 tint;\nvoid main() { color = vec4(tint, 1.0); }\n";

class ShaderManagerTest : public ::testing::Test {
protected:
    void SetUp() override { OrbivaneTest::ensureGLContext(); }

    void writeProgram(const std::string& name, const std::string& vertex, const std::string& fragment)
    {
        m_Dir.writeFile("shader/" + name + ".vertexShader.txt", vertex);
        m_Dir.writeFile("shader/" + name + ".fragmentShader.txt", fragment);
    }

    // The exception's message, or "no exception".
    std::string failureOf(const std::string& name)
    {
        try {
            ShaderManager::instance().getProgram(name);
        } catch (const ExceptionWithMsg& e) {
            return e.m_Message;
        }
        return "no exception";
    }

    TempWorkDir m_Dir;
};

}

TEST_F(ShaderManagerTest, BuildsEachBaseNameOnceAndReportsIt)
{
    writeProgram("Cached", kVertex, kFragment);
    GLuint first = 0;
    GLuint second = 0;
    const auto cached = [] { return ShaderManager::instance().getProgram("Cached"); };
    const std::string firstOutput = OrbivaneTest::consoleOf([&] { first = cached(); });
    const std::string secondOutput = OrbivaneTest::consoleOf([&] { second = cached(); });

    EXPECT_NE(first, 0u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(firstOutput, "Compiling shader: shader\\Cached.vertexShader.txt\n"
                           "Compiling shader: shader\\Cached.fragmentShader.txt\n"
                           "Linking program: " + std::to_string(first) + "\n");
    EXPECT_EQ(secondOutput, "");
    EXPECT_GE(glGetUniformLocation(first, "tint"), 0);
}

TEST_F(ShaderManagerTest, MissingOrEmptyFilesNameThePathAndAreNotCached)
{
    EXPECT_EQ(failureOf("Absent"), "Could not open file: shader\\Absent.vertexShader.txt");

    m_Dir.writeFile("shader/HalfThere.vertexShader.txt", kVertex);
    std::string failure;
    EXPECT_EQ(OrbivaneTest::consoleOf([&] { failure = failureOf("HalfThere"); }),
              "Compiling shader: shader\\HalfThere.vertexShader.txt\n");
    EXPECT_EQ(failure, "Could not open file: shader\\HalfThere.fragmentShader.txt");

    writeProgram("EmptyFragment", kVertex, "");
    EXPECT_EQ(failureOf("EmptyFragment"), "Could not open file: shader\\EmptyFragment.fragmentShader.txt");

    // A failed program is not cached: once the file is there, it builds.
    writeProgram("Absent", kVertex, kFragment);
    EXPECT_NE(ShaderManager::instance().getProgram("Absent"), 0u);
}

TEST_F(ShaderManagerTest, CompileErrorThrowsTheInfoLogAlone)
{
    writeProgram("Broken", kVertex, "#version 330 core\nvoid main() { undefinedThing = 1; }\n");
    const std::string message = failureOf("Broken");
    EXPECT_NE(message.find("undefinedThing"), std::string::npos) << message;
    EXPECT_EQ(message.rfind("Shader Linking Error", 0), std::string::npos);
}

TEST_F(ShaderManagerTest, LinkErrorThrowsWithPrefix)
{
    const char* vertexWithOutput =
        "#version 330 core\nlayout(location = 0) in vec4 position;\nout vec3 shade;\n"
        "void main() { shade = position.xyz; gl_Position = position; }\n";
    const char* fragmentWithMismatch =
        "#version 330 core\nin vec2 shade;\nout vec4 color;\nvoid main() { color = vec4(shade, 0.0, 1.0); }\n";
    writeProgram("Mismatch", vertexWithOutput, fragmentWithMismatch);
    const std::string message = failureOf("Mismatch");
    EXPECT_EQ(message.rfind("Shader Linking Error: ", 0), 0u) << message;
    EXPECT_GT(message.size(), std::string("Shader Linking Error: ").size());
}

TEST_F(ShaderManagerTest, WindowsLineEndsAndMissingFinalNewlineCompile)
{
    writeProgram("Crlf", "#version 330 core\r\nlayout(location = 0) in vec4 position;\r\n"
                         "void main() { gl_Position = position; }",
                 "#version 330 core\r\nout vec4 color;\r\nvoid main() { color = vec4(1.0); }");
    EXPECT_NE(ShaderManager::instance().getProgram("Crlf"), 0u);
    EXPECT_EQ(ShaderManager::readFile("shader\\Crlf.fragmentShader.txt"),
              "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n");
}
